#pragma once

#include "core/Message.h"
#include "records/PatientRecord.h"
#include "records/PatientRegistry.h"

#include <QString>
#include <QStringList>
#include <QVector>

namespace vantora {

// The patient list of the record pages (record management, replay) without
// widgets: every registry record in file order, a search over it by id or by
// name, and the selected row. Rows are 0-based; a row's registry position is
// row + 1. The page shows `messages` and mirrors rows and selection.
class PatientListModel {
public:
    // What the search text accepts: digits only and 15 characters by id, any
    // characters and 31 by name.
    static constexpr int kMaxIdSearchChars = kMaxPatientIdLength; // 15
    static constexpr int kMaxNameSearchChars = 31;

    explicit PatientListModel(QString dataRoot);

    // Reloads every row from "UserDA.txt" and selects the first (or none). A
    // damaged record ends the list there (61218); what was read stays listed.
    Message load();

    int rowCount() const { return int(records_.size()); }
    const QVector<PatientRecord>& records() const { return records_; }
    const PatientRecord& record(int row) const { return records_[row]; }
    // The columns of a row: position, id, name, sex, date, height, weight,
    // telephone and address.
    static constexpr int kColumnCount = 9;
    QStringList rowTexts(int row) const;

    // Selection. select() answers whether the selection really moved: selecting
    // the row already selected, or a row out of range, changes nothing.
    int currentRow() const { return current_; }
    bool select(int row);
    bool hasSelection() const { return current_ >= 0; }
    const PatientRecord* selectedRecord() const;
    int selectedPosition() const { return current_ + 1; } // 1-based; 0 for none
    // Rows the last find marked (the first is also the current row).
    const QVector<int>& matchedRows() const { return matched_; }

    // Search choice and text. Changing the choice filters the text already
    // typed to what the new choice accepts.
    PatientSearchField searchField() const { return field_; }
    void setSearchField(PatientSearchField field);
    static int maxSearchChars(PatientSearchField field);
    // `typed` reduced to what `field` accepts: digits only by id, then cut.
    static QString acceptedSearchText(PatientSearchField field, const QString& typed);
    const QString& searchText() const { return text_; }
    // Stores the accepted form of `typed` and returns it.
    QString setSearchText(const QString& typed);

    // Marks every matching row and moves the selection to the first match;
    // 61240 for an empty text, 61241/61242 with the text when nothing matches
    // (the selection stays then). `moved` tells whether the selection moved.
    struct FindResult {
        Message message;
        bool moved = false;
    };
    FindResult find();
    // Clears the search text, reloads every patient and selects the first.
    Message showAll();

private:
    QString root_;
    QVector<PatientRecord> records_;
    QVector<int> matched_;
    int current_ = -1;
    PatientSearchField field_ = PatientSearchField::Id;
    QString text_;
};

} // namespace vantora
