#include "app/JournalModel.h"

#include <QColor>
#include <QDateTime>

#include "journal/JournalText.h"

namespace fm {

namespace {

QString text(const std::string& bytes) { return QString::fromLatin1(bytes.data(), qsizetype(bytes.size())); }

QColor statusColour(const JobEntry& entry) {
    const std::optional<JobStatus> status = statusOf(entry.outcome);
    if (!status) return QColor(220, 220, 220);
    if (*status == JobStatus::Ok) return QColor(200, 240, 200);
    if (*status == JobStatus::No) return QColor(255, 225, 160);
    return QColor(255, 190, 190);
}

// Printed after "not printed" stands out most: the till may have sent the receipt again.
QVariant lateColour(const JobEntry& entry) {
    switch (entry.late) {
        case LateOutcome::Printed:
            return QColor(215, 170, 255);
        case LateOutcome::Failed:
            return QColor(255, 190, 190);
        case LateOutcome::Unknown:
            return QColor(220, 220, 220);
        case LateOutcome::None:
            break;
    }
    return entry.open ? QVariant(QColor(255, 245, 190)) : QVariant();
}

// The late outcome with its time of day, and its date too when it came on a later day.
QString lateColumnText(const JobEntry& entry) {
    if (entry.late == LateOutcome::None || entry.lateMs == 0) return text(lateOutcomeOf(entry));
    const QDateTime late = QDateTime::fromMSecsSinceEpoch(entry.lateMs);
    const bool sameDay = late.date() == QDateTime::fromMSecsSinceEpoch(entry.times.takenUp).date();
    return QString::fromLatin1(lateOutcomeText(entry.late)) + QLatin1Char(' ') +
           late.toString(sameDay ? QStringLiteral("HH:mm:ss") : QStringLiteral("dd.MM. HH:mm:ss"));
}

QVariant background(const JobEntry& entry, int column) {
    switch (column) {
        case JournalModel::Status:
            return statusColour(entry);
        case JournalModel::Late:
            return lateColour(entry);
        case JournalModel::Fiscal:
            return entry.printedTwice ? QVariant(QColor(255, 120, 120)) : QVariant();
        default:
            return {};
    }
}

}  // namespace

JournalModel::JournalModel(JournalStore& store, QObject* parent)
    : QAbstractTableModel(parent), store_(store) {
    filter_.limit = kPage;
}

void JournalModel::setFilter(const std::string& status, const std::string& text) {
    filter_.status = status;
    filter_.text = text;
    reload();
}

void JournalModel::reload() {
    beginResetModel();
    rows_.clear();
    more_ = true;
    error_.clear();
    endResetModel();
    fetchMore({});
}

const JobEntry* JournalModel::entry(int row) const {
    return row >= 0 && row < int(rows_.size()) ? &rows_[std::size_t(row)] : nullptr;
}

int JournalModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(rows_.size());
}

int JournalModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : ColumnCount; }

QVariant JournalModel::data(const QModelIndex& index, int role) const {
    const JobEntry* e = entry(index.row());
    if (!e) return {};
    if (role == Qt::BackgroundRole) return background(*e, index.column());
    if (role == Qt::TextAlignmentRole && (index.column() == Number || index.column() == Waited))
        return int(Qt::AlignRight | Qt::AlignVCenter);
    if (role != Qt::DisplayRole) return {};
    switch (index.column()) {
        case TakenUp:
            return text(formatMoment(e->times.takenUp ? e->times.takenUp : e->times.marked));
        case Number:
            return e->number;
        case Status:
            return text(e->status());
        case Late:
            return lateColumnText(*e);
        case Fiscal:
            return text(e->printedTwice ? fiscalNumbersText(*e) + " " + kPrintedTwiceText
                                        : fiscalNumbersText(*e));
        case FileAction:
            return QString::fromLatin1(fileActionText(e->action));
        case Waited:
            return e->waitedMs;
        case File:
            return text(e->fileName);
        case Message:
            return text(oneLine(e->message));
        default:
            return {};
    }
}

QVariant JournalModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    static const char* const titles[] = {"Preuzet", "Broj",      "Status",        "Kasnije", "Fiskalni broj",
                                         "Fajl",    "Cekano ms", "Komandni fajl", "Poruka"};
    return section >= 0 && section < ColumnCount ? QString::fromLatin1(titles[section]) : QVariant();
}

bool JournalModel::canFetchMore(const QModelIndex& parent) const { return !parent.isValid() && more_; }

void JournalModel::fetchMore(const QModelIndex& parent) {
    if (parent.isValid() || !more_) return;
    JournalFilter page = filter_;
    page.beforeId = rows_.empty() ? 0 : rows_.back().id;
    Result<std::vector<JobEntry>> read = store_.read(page);
    if (!read) {
        error_ = read.error();
        more_ = false;
        return;
    }
    more_ = int(read->size()) == kPage;
    if (read->empty()) return;
    beginInsertRows({}, int(rows_.size()), int(rows_.size() + read->size()) - 1);
    rows_.insert(rows_.end(), std::make_move_iterator(read->begin()), std::make_move_iterator(read->end()));
    endInsertRows();
}

}  // namespace fm
