// vantora-cli patients: the patient registry's operations as the dialogs run
// them. The add is the patient manager's add after the home page was set up
// (revision marker 8); quick-add is the patient picker's.
#include "records/DataFolderLock.h"
#include "records/PatientRegistry.h"
#include "tools/cli/CliContext.h"
#include "tools/cli/StoreOptions.h"

#include <QJsonArray>
#include <QJsonObject>

#include <map>
#include <optional>
#include <utility>
#include <vector>

namespace vantora::cli {

namespace {

// The date as ISO 8601 (YYYY-MM-DD); a stored text that is no date as it is.
QString dateJson(const QString& stored) {
    const QDate date = parsePatientDate(stored);
    return date.isValid() ? date.toString(Qt::ISODate) : stored;
}

QJsonObject patientJson(int position, const PatientRecord& r) {
    return QJsonObject{
        {"position", position},     {"id", r.id},
        {"name", r.name},           {"sex", r.sex},
        {"date", dateJson(r.date)}, {"height", r.height},
        {"weight", r.weight},       {"telephone", r.telephone},
        {"address", r.address},     {"history", r.history},
        {"remarks", r.remarks},     {"revision", r.revision},
    };
}

int sexChoiceOption(const QString& value) {
    if (value == QStringLiteral("male"))
        return 0;
    if (value == QStringLiteral("female"))
        return 1;
    throw UsageError(QStringLiteral("--sex takes male (stored as \"%1\") or female (\"%2\")")
                         .arg(sexText(0), sexText(1))
                         .toStdString());
}

QString dateOption(const QString& value) {
    const QDate date = QDate::fromString(value, Qt::ISODate);
    if (!date.isValid())
        throw UsageError("--date takes a date as YYYY-MM-DD");
    return formatPatientDate(date);
}

// The text options of add and edit, named after the fields of the dialogs.
struct TextOption {
    const char* name;
    QString PatientFields::*field;
};
constexpr TextOption kTextOptions[] = {
    {"name", &PatientFields::name},       {"height", &PatientFields::height},
    {"weight", &PatientFields::weight},   {"telephone", &PatientFields::telephone},
    {"address", &PatientFields::address}, {"history", &PatientFields::history},
    {"remarks", &PatientFields::remarks},
};

// The optional field options of add and edit, taken before anything is read
// so that usage errors come first.
struct FieldOptions {
    std::vector<std::pair<QString PatientFields::*, QString>> texts;
    std::optional<QString> date;
    std::optional<int> sexChoice;

    explicit FieldOptions(CliContext& ctx) : date(ctx.takeOption("date")) {
        for (const TextOption& option : kTextOptions)
            if (auto value = ctx.takeOption(option.name))
                texts.emplace_back(option.field, *value);
        if (auto sex = ctx.takeOption("sex"))
            sexChoice = sexChoiceOption(*sex);
        if (date)
            date = dateOption(*date);
    }

    // The given options over the starting values.
    PatientFields over(PatientFields f) const {
        for (const auto& [field, value] : texts)
            f.*field = value;
        f.sexChoice = sexChoice.value_or(f.sexChoice);
        f.date = date.value_or(f.date);
        return f;
    }
};

void printPosition(CliContext& ctx, int position) {
    if (ctx.json)
        ctx.printJson(QJsonObject{{"position", position}});
    else
        ctx.printLine(QString::number(position));
}

void reportAdded(CliContext& ctx, const Result<PatientAdded>& result) {
    printPosition(ctx, valueOf(result).position);
    failOnMessage(result.value().notice);
}

int listPatients(CliContext& ctx, const PatientRegistry& registry) {
    ctx.finish();
    const PatientList list = registry.loadAll();
    QJsonArray rows;
    for (int i = 0; i < list.records.size(); ++i) {
        const PatientRecord& r = list.records[i];
        if (ctx.json)
            rows.append(patientJson(i + 1, r));
        else
            ctx.printLine(
                QStringLiteral("%1\t%2\t%3\t%4\t%5").arg(i + 1).arg(r.id, r.name, r.sex, r.date));
    }
    if (ctx.json)
        ctx.printJson(rows);
    failOnMessage(list.message);
    return 0;
}

int addPatient(CliContext& ctx, const PatientRegistry& registry) {
    PatientFields start;
    start.id = ctx.requireOption("id");
    start.name = ctx.requireOption("name");
    const PatientFields fields = FieldOptions(ctx).over(start);
    ctx.finish();
    const PatientList list = registry.loadAll();
    failOnMessage(list.message);
    PatientIdMap ids(list.records);
    reportAdded(ctx, registry.add(fields, ids, true));
    return 0;
}

int quickAddPatient(CliContext& ctx, const PatientRegistry& registry) {
    const QString id = ctx.requireOption("id");
    const QString first = ctx.requireOption("first");
    const QString second = ctx.requireOption("second");
    ctx.finish();
    const PatientList list = registry.loadAll();
    failOnMessage(list.message);
    QStringList known;
    for (const PatientRecord& r : list.records)
        known.append(r.id);
    reportAdded(ctx, registry.quickAdd(id, first, second, known));
    return 0;
}

// Edit and delete address the patient by its id exactly as listed.
int editPatient(CliContext& ctx, const PatientRegistry& registry) {
    const QString id = ctx.requireOption("id");
    const FieldOptions options(ctx);
    ctx.finish();
    // The folder stays held from the look-up to the write, so the position
    // found is still the patient's when the edit rewrites it.
    const DataFolderLock lock = DataFolderLock::exclusive(ctx.dataRoot);
    if (!lock.held())
        throw CommandFailure{lock.message()};
    const int position = findPatient(ctx.dataRoot, id, Qt::CaseSensitive).position;
    const PatientRecord stored = valueOf(registry.read(position));
    check(registry.edit(position, options.over(PatientFields::fromRecord(stored))));
    printPosition(ctx, position);
    return 0;
}

int deletePatient(CliContext& ctx, const PatientRegistry& registry) {
    const QString id = ctx.requireOption("id");
    CliPrompter prompter = CliPrompter::forRemoval(ctx.takeFlag("yes"), "patients delete");
    ctx.finish();
    // The removal checks after the question that the id still stands there.
    const int position = findPatient(ctx.dataRoot, id, Qt::CaseSensitive).position;
    check(registry.removable(position));
    const bool deleted = prompter.get().confirm(PatientRegistry::deleteQuestion(id));
    if (deleted)
        check(registry.remove(position, nullptr, id));
    if (ctx.json)
        ctx.printJson(QJsonObject{{"id", id}, {"deleted", deleted}});
    else
        ctx.printLine(deleted ? QStringLiteral("deleted") : QStringLiteral("kept"));
    return 0;
}

int searchPatients(CliContext& ctx, const PatientRegistry& registry) {
    const auto byId = ctx.takeOption("id");
    const auto byName = ctx.takeOption("name");
    ctx.finish();
    if (byId.has_value() == byName.has_value())
        throw UsageError("patients search takes either --id or --name");
    const QVector<int> found = valueOf(byId ? registry.search(PatientSearchField::Id, *byId)
                                            : registry.search(PatientSearchField::Name, *byName));
    QJsonArray positions;
    for (int p : found)
        positions.append(p);
    if (ctx.json) {
        ctx.printJson(positions);
    } else {
        for (int p : found)
            ctx.printLine(QString::number(p));
    }
    return 0;
}

} // namespace

int runPatients(CliContext& ctx) {
    using Action = int (*)(CliContext&, const PatientRegistry&);
    static const std::map<QString, Action> actions = {
        {QStringLiteral("list"), listPatients},         {QStringLiteral("add"), addPatient},
        {QStringLiteral("quick-add"), quickAddPatient}, {QStringLiteral("edit"), editPatient},
        {QStringLiteral("delete"), deletePatient},      {QStringLiteral("search"), searchPatients},
    };
    const QString name = ctx.takeWord("patients command");
    const auto it = actions.find(name);
    if (it == actions.end())
        throw UsageError("unknown patients command: " + name.toStdString());
    const PatientRegistry registry(ctx.dataRoot);
    return it->second(ctx, registry);
}

} // namespace vantora::cli
