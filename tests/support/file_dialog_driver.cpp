#include "file_dialog_driver.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace testing_support {

std::optional<tremalu::TFileChoice> TFileDialogDriver::RunFileDialog(QFileDialog& dialog)
{
    ++FileDialogs;
    dialog.open();
    (void)QTest::qWaitForWindowExposed(&dialog);
    if (Drive)
        Drive(dialog);
    if (dialog.isVisible()) {
        ADD_FAILURE() << "the file dialog was left open";
        dialog.reject();
    }
    const QStringList files = dialog.selectedFiles();
    if (dialog.result() != QDialog::Accepted || files.isEmpty())
        return std::nullopt;
    tremalu::TFileChoice choice;
    choice.FileName = files.front().toStdString();
    choice.FilterIndex = static_cast<int>(dialog.nameFilters().indexOf(dialog.selectedNameFilter())) + 1;
    return choice;
}

namespace {

QListView& ListOf(QFileDialog& dialog)
{
    auto* list = dialog.findChild<QListView*>(QStringLiteral("listView"));
    if (list == nullptr)
        throw std::runtime_error("the file dialog has no list view");
    return *list;
}

QStringList NamesNow(QListView& list)
{
    QStringList names;
    const QAbstractItemModel* model = list.model();
    for (int row = 0; row < model->rowCount(list.rootIndex()); ++row)
        names << model->index(row, 0, list.rootIndex()).data().toString();
    names.sort();
    return names;
}

QComboBox& TypeBox(QFileDialog& dialog)
{
    auto* combo = dialog.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
    if (combo == nullptr)
        throw std::runtime_error("the file dialog has no file type box");
    return *combo;
}

QPushButton* ButtonOf(QFileDialog& dialog, QDialogButtonBox::ButtonRole role)
{
    auto* box = dialog.findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
    if (box == nullptr)
        return nullptr;
    for (QAbstractButton* button : box->buttons())
        if (box->buttonRole(button) == role)
            return qobject_cast<QPushButton*>(button);
    return nullptr;
}

}  // namespace

QStringList ShownNames(QFileDialog& dialog, const QStringList& expected)
{
    QListView& list = ListOf(dialog);
    QStringList sortedExpected = expected;
    sortedExpected.sort();
    // The folder is read by a thread of the toolkit: wait for the expected
    // list, or else until the list has settled.
    if (!expected.isEmpty() && QTest::qWaitFor([&] { return NamesNow(list) == sortedExpected; }))
        return NamesNow(list);
    QStringList last;
    int stable = 0;
    (void)QTest::qWaitFor([&] {
        const QStringList now = NamesNow(list);
        stable = now == last ? stable + 1 : 0;
        last = now;
        return stable >= 5;
    });
    return NamesNow(list);
}

bool Pick(QFileDialog& dialog, const QString& name)
{
    QListView& list = ListOf(dialog);
    QModelIndex found;
    (void)QTest::qWaitFor([&] {
        const QAbstractItemModel* model = list.model();
        for (int row = 0; row < model->rowCount(list.rootIndex()); ++row) {
            const QModelIndex index = model->index(row, 0, list.rootIndex());
            if (index.data().toString() == name)
                found = index;
        }
        return found.isValid();
    });
    if (!found.isValid())
        return false;
    list.setCurrentIndex(found);
    return true;
}

void TypeName(QFileDialog& dialog, const QString& name)
{
    auto* edit = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    if (edit == nullptr)
        throw std::runtime_error("the file dialog has no name box");
    edit->setFocus();
    edit->clear();
    QTest::keyClicks(edit, name);
}

bool PressAccept(QFileDialog& dialog)
{
    QPushButton* button = ButtonOf(dialog, QDialogButtonBox::AcceptRole);
    if (button == nullptr || !button->isEnabled())
        return false;
    button->click();
    return true;
}

void PressCancel(QFileDialog& dialog)
{
    if (QPushButton* button = ButtonOf(dialog, QDialogButtonBox::RejectRole))
        button->click();
}

void ChooseType(QFileDialog& dialog, int position)
{
    QComboBox& combo = TypeBox(dialog);
    combo.setFocus();
    while (combo.currentIndex() < position)
        QTest::keyClick(&combo, Qt::Key_Down);
    while (combo.currentIndex() > position)
        QTest::keyClick(&combo, Qt::Key_Up);
}

QStringList TypeTexts(QFileDialog& dialog)
{
    QComboBox& combo = TypeBox(dialog);
    QStringList texts;
    for (int i = 0; i < combo.count(); ++i)
        texts << combo.itemText(i);
    return texts;
}

QString ShownType(QFileDialog& dialog) { return TypeBox(dialog).currentText(); }

}  // namespace testing_support
