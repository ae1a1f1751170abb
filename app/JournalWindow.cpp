#include "app/JournalWindow.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>
#include <QTableView>
#include <QVBoxLayout>

#include "app/JournalModel.h"
#include "journal/JournalText.h"

namespace fm {

namespace {

QString text(const std::string& bytes) { return QString::fromLatin1(bytes.data(), qsizetype(bytes.size())); }

// Every field of the job, its message in full.
std::string detailsOf(const JobEntry& e) {
    const auto ms = [](std::int64_t value) { return std::to_string(value) + " ms"; };
    const auto at = [](std::int64_t moment) { return moment ? formatMoment(moment) : std::string("-"); };
    std::string details = "Posao " + std::to_string(e.number) + ", kasa " + std::to_string(e.cashRegister) +
                          ", status " + e.status() + ", fajl " + fileActionText(e.action) +
                          (e.recovered ? ", zavrsen nakon ponovnog pokretanja" : "") + "\n";
    details += "Fajl: " + e.fileName + " (" + std::to_string(e.fileSize) + " bajtova)\n";
    details += "Komanda: " + (e.letter ? std::string(1, e.letter) : std::string("-")) + ", tip knjizenja " +
               std::to_string(e.bookingType) + ", stavki " + std::to_string(e.itemRows) + ", placanja " +
               std::to_string(e.paymentRows) + "\n";
    details += "Ishod: " + (e.outcome ? std::to_string(*e.outcome) : std::string("-")) + ", budzet " +
               ms(e.budgetMs) + ", cekano " + ms(e.waitedMs) + "\n";
    details += "Preuzet " + at(e.times.takenUp) + ", predan " + at(e.times.handedOver) + ", odluceno " +
               at(e.times.decided) + ", oznacen " + at(e.times.marked) + "\n";
    details += "Trajanje: citanje " + ms(e.readMs()) + ", redovi " + ms(e.rowsMs()) + ", predaja " +
               ms(e.handOverMs()) + ", cekanje " + ms(e.waitMs()) + ", oznacavanje " + ms(e.markingMs()) +
               "\n";
    if (!e.fiscalNumbers.empty())
        details += "Fiskalni broj: " + fiscalNumbersText(e) +
                   (e.printedTwice ? std::string(" - ") + kPrintedTwiceText : "") + "\n";
    if (e.late != LateOutcome::None)
        details += "Kasnije: " + lateOutcomeOf(e) + "\n";
    else if (e.open)
        details += "Otvoren: red posla u F_SEMAFOR je ostao, PARTNER ga moze jos odstampati\n";
    if (!e.message.empty()) details += "\n" + e.message;
    return details;
}

}  // namespace

JournalWindow::JournalWindow(const std::string& journalPath, QWidget* parent)
    : QWidget(parent, Qt::Window),
      store_(journalPath),
      model_(new JournalModel(store_, this)),
      status_(new QComboBox(this)),
      text_(new QLineEdit(this)),
      table_(new QTableView(this)),
      details_(new QPlainTextEdit(this)),
      error_(new QLabel(this)) {
    setObjectName(QStringLiteral("ZadnjiPoslovi"));
    setWindowTitle(QStringLiteral("Zadnji poslovi - FMerilon"));
    resize(1000, 560);

    status_->addItem(QStringLiteral("Svi"));
    for (const char* status : kJournalStatuses) status_->addItem(QString::fromLatin1(status));
    text_->setPlaceholderText(QStringLiteral("fajl, poruka, broj posla ili fiskalni broj"));
    text_->setClearButtonEnabled(true);
    auto* refreshButton = new QPushButton(QStringLiteral("Osvjezi"), this);
    auto* filters = new QHBoxLayout;
    filters->addWidget(new QLabel(QStringLiteral("Status:"), this));
    filters->addWidget(status_);
    filters->addWidget(new QLabel(QStringLiteral("Trazi:"), this));
    filters->addWidget(text_, 1);
    filters->addWidget(refreshButton);

    table_->setModel(model_);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->verticalHeader()->hide();
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->setWordWrap(false);
    for (const auto& [column, width] : {std::pair{JournalModel::TakenUp, 165},
                                        {JournalModel::Number, 50},
                                        {JournalModel::Status, 50},
                                        {JournalModel::Late, 185},
                                        {JournalModel::Fiscal, 228},
                                        {JournalModel::FileAction, 60},
                                        {JournalModel::Waited, 75},
                                        {JournalModel::File, 130}})
        table_->setColumnWidth(column, width);
    details_->setReadOnly(true);
    error_->setStyleSheet(QStringLiteral("color: #b00000"));
    error_->hide();

    auto* splitter = new QSplitter(Qt::Vertical, this);
    splitter->addWidget(table_);
    splitter->addWidget(details_);
    splitter->setSizes({300, 190});
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(filters);
    layout->addWidget(error_);
    layout->addWidget(splitter, 1);

    connect(status_, &QComboBox::currentIndexChanged, this, &JournalWindow::applyFilter);
    connect(text_, &QLineEdit::textChanged, this, &JournalWindow::applyFilter);
    connect(refreshButton, &QPushButton::clicked, this, &JournalWindow::refresh);
    connect(table_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &JournalWindow::showSelected);
    applyFilter();
    table_->setFocus();
}

JournalWindow::~JournalWindow() = default;

void JournalWindow::refresh() { applyFilter(); }

void JournalWindow::applyFilter() {
    const std::string status =
        status_->currentIndex() == 0 ? std::string() : status_->currentText().toStdString();
    model_->setFilter(status, text_->text().toLatin1().toStdString());
    error_->setText(text(model_->error()));
    error_->setVisible(!model_->error().empty());
    if (model_->rowCount() > 0) table_->selectRow(0);
    showSelected();
}

void JournalWindow::showSelected() {
    const JobEntry* e = model_->entry(table_->currentIndex().row());
    details_->setPlainText(e ? text(detailsOf(*e)) : QString());
}

}  // namespace fm
