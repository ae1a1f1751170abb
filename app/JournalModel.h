#pragma once

#include <QAbstractTableModel>
#include <string>
#include <vector>

#include "journal/JournalStore.h"

namespace fm {

// The journal's jobs, newest first, fetched in pages as the view scrolls; filtered by
// status and text. Status, late outcome and a receipt printed twice in colour.
class JournalModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    static constexpr int kPage = 200;
    enum Column { TakenUp, Number, Status, Late, Fiscal, FileAction, Waited, File, Message, ColumnCount };

    JournalModel(JournalStore& store, QObject* parent = nullptr);

    // Starts again from the newest job.
    void setFilter(const std::string& status, const std::string& text);
    void reload();
    const JobEntry* entry(int row) const;
    // The last reading's error; empty when it worked.
    const std::string& error() const { return error_; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

  private:
    JournalStore& store_;
    JournalFilter filter_;
    std::vector<JobEntry> rows_;
    bool more_ = true;
    std::string error_;
};

}  // namespace fm
