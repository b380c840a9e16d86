// The file list of a file dialog, filtered by the selected filter pair's
// own patterns.
//
// The toolkit reads the patterns of a name filter out of the parentheses of
// its description, separated by spaces, so a description such as
// "Tout (*.jpg;*.jpeg;*.bmp)" would match nothing. The dialog's file system
// model is therefore told to keep every file (greying those its own filter
// rejects), and this proxy shows only the files that match the selected
// pair's ";"-separated patterns, as MatchesPatterns reads them; folders are
// always shown. Files it shows are enabled whatever the model thinks.
#pragma once

#include <QSortFilterProxyModel>

#include <string>
#include <vector>

class QFileSystemModel;

namespace tremalu {

class TPatternFilterProxy : public QSortFilterProxyModel {
    Q_OBJECT
public:
    explicit TPatternFilterProxy(QObject* parent = nullptr);

    // The patterns of the selected pair; none shows every file.
    void SetPatterns(std::vector<std::string> patterns);
    const std::vector<std::string>& Patterns() const { return FPatterns; }

    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // Sorting is the file system model's own (folders first), not the
    // proxy's plain text order.
    void sort(int column, Qt::SortOrder order) override;

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;

private:
    const QFileSystemModel* Files() const;

    std::vector<std::string> FPatterns;
    bool FFiltering = false;
};

}  // namespace tremalu
