#pragma once

#include <QWidget>
#include <string>

#include "journal/JournalStore.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QTableView;

namespace fm {

class JournalModel;

// "Zadnji poslovi": the journal's latest jobs, filtered by status and text, with every
// field, the late outcome, the fiscal numbers and the full message of the selected job.
class JournalWindow : public QWidget {
    Q_OBJECT
  public:
    explicit JournalWindow(const std::string& journalPath, QWidget* parent = nullptr);
    ~JournalWindow() override;

    // Reads the newest jobs again.
    void refresh();
    JournalModel& model() { return *model_; }

  private:
    void applyFilter();
    void showSelected();

    JournalStore store_;
    JournalModel* model_;
    QComboBox* status_;
    QLineEdit* text_;
    QTableView* table_;
    QPlainTextEdit* details_;
    QLabel* error_;
};

}  // namespace fm
