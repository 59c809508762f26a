#pragma once

#include "core/Message.h"
#include "core/Result.h"
#include "records/PatientIdMap.h"
#include "records/PatientRecord.h"

#include <QString>
#include <QStringList>
#include <QVector>

#include <optional>

namespace vantora {

// What the patient dialogs hand over for an add or an edit. Texts as typed;
// the registry trims nothing here except as its rules say.
struct PatientFields {
    QString id; // ignored by edit: the stored id is kept
    QString name;
    int sexChoice = 0; // 0 male (string 61271), 1 female (61272)
    QString date;      // already formatted, see formatPatientDate
    QString height;
    QString weight; // as typed; stored normalised
    QString telephone;
    QString address;
    QString history;
    QString remarks;

    // What the edit dialog shows for a stored record: the sex choice of the
    // stored text (-1 for neither), the weight only above zero.
    static PatientFields fromRecord(const PatientRecord& r);
};

// Every list: the records in file order up to the first one that cannot be
// read whole or is damaged; `message` says why the list ended early (61217,
// 61218 with "UserDA.txt"), none when it is complete.
struct PatientList {
    QVector<PatientRecord> records;
    Message message;
};

// A successful add: the new patient's 1-based position, and 61325 in
// `notice` after a read-back that did not give the id back.
struct PatientAdded {
    int position = 0;
    Message notice;
};

enum class PatientSearchField { Id, Name };

// The patient registry "UserDA.txt" under the data root: a 32-bit count and
// fixed PatientRecord slots. Every operation opens the file, works with
// absolute seeks and closes it again; nothing stays open between calls.
// Positions are 1-based, as the lists show them.
class PatientRegistry {
public:
    // An add is refused when the file already holds more than this many records.
    static constexpr int32_t kAddLimit = 5000;

    explicit PatientRegistry(QString dataRoot);
    const QString& dataRoot() const { return dataRoot_; }
    QString filePath() const;

    // The count at offset 0: 0 for a missing or short file; a negative count is
    // a damaged registry (61218).
    Result<int32_t> count() const;

    PatientList loadAll() const;
    Result<PatientRecord> read(int position) const;
    // 1-based position of the first patient whose id equals `id` ignoring case
    // (chart and card import), or 0.
    int findById(const QString& id) const;

    // The patient manager's add: empty id 61314, empty name 61315, unusable id
    // 61900, id value already in `ids` "User ID already exist...", full 61265.
    // On success the id joins `ids`. homeShown selects the revision marker.
    Result<PatientAdded> add(const PatientFields& fields, PatientIdMap& ids, bool homeShown) const;
    // The picker's quick add: trims the parts, refuses an id equal ignoring case
    // to one of `knownIds` (61317), creates the two recording files with their
    // filler (61318), then appends.
    Result<PatientAdded> quickAdd(const QString& id, const QString& first, const QString& second,
                                  const QStringList& knownIds) const;
    // Registers a record taken from a chart file unchanged (all its fields and
    // its revision marker). Refuses an unusable id (61900) and a full registry
    // (61265). Creates no recording files and does not look for the id: the
    // caller asks findById first.
    Result<PatientAdded> appendRecord(const PatientRecord& record) const;

    // Rewrites the record at `position` from the dialog's fields, keeping the
    // stored id; revision marker 10; the count is untouched. 61319 without a
    // valid position, 61218 for a count the file cannot hold. Written through
    // a scratch file renamed over the registry.
    Result<> edit(int position, const PatientFields& fields) const;

    // The patient at `position` if it can be removed, or why not: 61319
    // without a valid position, 61217/61218 for a registry that cannot be
    // rewritten whole. Callers ask deleteQuestion() before remove(): the
    // registry never asks the user itself.
    Result<PatientRecord> removable(int position) const;
    static Message deleteQuestion(const QString& id) { return {kDeleteQuestion, id}; }
    // Removes the id's value from `ids` (when given), compacts the registry
    // through a scratch file renamed over it (the file is never shortened),
    // then deletes the patient's recording, index and note files. With
    // `expectedId` (the id the user was asked about) a different patient now
    // at `position` is refused (61902) and nothing changes.
    Result<> remove(int position, PatientIdMap* ids, const QString& expectedId = {}) const;
    static constexpr int kDeleteQuestion = 61321; // "$": the id

    // Search over the registry's list: the 1-based positions in list order;
    // 61240 for an empty text, 61241/61242 when nothing matches.
    Result<QVector<int>> search(PatientSearchField field, const QString& text) const;
    // The same over a list a page already holds.
    static Result<QVector<int>> search(const QVector<PatientRecord>& records,
                                       PatientSearchField field, const QString& text);

    // The ids of the current list (the picker's quick-add check).
    QStringList ids() const;

private:
    Result<PatientAdded> append(const PatientRecord& record) const;
    QString dataRoot_;
};

} // namespace vantora
