#include "dialogs/pattern_filter_proxy.h"

#include "dialog_rules/filter_pairs.h"

#include <QFileSystemModel>

namespace tremalu {

TPatternFilterProxy::TPatternFilterProxy(QObject* parent) : QSortFilterProxyModel(parent) {}

void TPatternFilterProxy::SetPatterns(std::vector<std::string> patterns)
{
    FPatterns = std::move(patterns);
    FFiltering = !FPatterns.empty();
    invalidateFilter();
}

const QFileSystemModel* TPatternFilterProxy::Files() const
{
    return qobject_cast<const QFileSystemModel*>(sourceModel());
}

bool TPatternFilterProxy::filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const
{
    const QFileSystemModel* files = Files();
    if (files == nullptr || !FFiltering)
        return true;
    const QModelIndex entry = files->index(sourceRow, 0, sourceParent);
    if (files->isDir(entry))
        return true;
    return MatchesPatterns(files->fileName(entry).toStdString(), FPatterns);
}

Qt::ItemFlags TPatternFilterProxy::flags(const QModelIndex& index) const
{
    Qt::ItemFlags flags = QSortFilterProxyModel::flags(index);
    if (index.isValid())
        flags |= Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    return flags;
}

void TPatternFilterProxy::sort(int column, Qt::SortOrder order)
{
    if (sourceModel() != nullptr)
        sourceModel()->sort(column, order);
}

}  // namespace tremalu
