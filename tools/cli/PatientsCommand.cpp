// vantora-cli patients: the patient registry's operations as the dialogs run
// them. The add is the patient manager's add after the home page was set up
// (revision marker 8); quick-add is the patient picker's.
#include "records/PatientRegistry.h"
#include "tools/cli/CliContext.h"
#include "tools/cli/StoreOptions.h"

#include <QJsonArray>
#include <QJsonObject>

#include <map>
#include <optional>

namespace vantora::cli {

namespace {

QJsonObject patientJson(int position, const PatientRecord& r) {
    return QJsonObject{
        {"position", position}, {"id", r.id},       {"name", r.name},
        {"sex", r.sex},         {"date", r.date},   {"number", r.number},
        {"decimal", r.decimal}, {"text1", r.text1}, {"text2", r.text2},
        {"text3", r.text3},     {"text4", r.text4}, {"revision", r.revision},
    };
}

int sexChoiceOption(const QString& value) {
    if (value == QStringLiteral("first"))
        return 0;
    if (value == QStringLiteral("second"))
        return 1;
    throw UsageError(QStringLiteral("--sex takes first (stored as \"%1\") or second (\"%2\")")
                         .arg(sexText(0), sexText(1))
                         .toStdString());
}

QString dateOption(const QString& value) {
    const QDate date = QDate::fromString(value, Qt::ISODate);
    if (!date.isValid())
        throw UsageError("--date takes a date as YYYY-MM-DD");
    return formatPatientDate(date);
}

// The optional field options of add and edit, taken before anything is read
// so that usage errors come first.
struct FieldOptions {
    std::optional<QString> name, date, number, decimal, text1, text2, text3, text4;
    std::optional<int> sexChoice;

    explicit FieldOptions(CliContext& ctx)
        : name(ctx.takeOption("name")), date(ctx.takeOption("date")),
          number(ctx.takeOption("number")), decimal(ctx.takeOption("decimal")),
          text1(ctx.takeOption("text1")), text2(ctx.takeOption("text2")),
          text3(ctx.takeOption("text3")), text4(ctx.takeOption("text4")) {
        if (auto sex = ctx.takeOption("sex"))
            sexChoice = sexChoiceOption(*sex);
        if (date)
            date = dateOption(*date);
    }

    // The given options over the starting values.
    PatientFields over(PatientFields f) const {
        f.name = name.value_or(f.name);
        f.sexChoice = sexChoice.value_or(f.sexChoice);
        f.date = date.value_or(f.date);
        f.number = number.value_or(f.number);
        f.decimal = decimal.value_or(f.decimal);
        f.text1 = text1.value_or(f.text1);
        f.text2 = text2.value_or(f.text2);
        f.text3 = text3.value_or(f.text3);
        f.text4 = text4.value_or(f.text4);
        return f;
    }
};

void failOn(const Message& message) {
    if (!message.isNone())
        throw CommandFailure{message};
}

void printPosition(CliContext& ctx, int position) {
    if (ctx.json)
        ctx.printJson(QJsonObject{{"position", position}});
    else
        ctx.printLine(QString::number(position));
}

void reportAdded(CliContext& ctx, const PatientAddResult& result) {
    if (!result.added())
        throw CommandFailure{result.message};
    printPosition(ctx, result.position);
    failOn(result.message);
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
    failOn(list.message);
    return 0;
}

int addPatient(CliContext& ctx, const PatientRegistry& registry) {
    PatientFields start;
    start.id = ctx.requireOption("id");
    start.name = ctx.requireOption("name");
    const PatientFields fields = FieldOptions(ctx).over(start);
    ctx.finish();
    const PatientList list = registry.loadAll();
    failOn(list.message);
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
    failOn(list.message);
    QStringList known;
    for (const PatientRecord& r : list.records)
        known.append(r.id);
    reportAdded(ctx, registry.quickAdd(id, first, second, known));
    return 0;
}

int editPatient(CliContext& ctx, const PatientRegistry& registry) {
    const int position = ctx.requireIntOption("position");
    const FieldOptions options(ctx);
    ctx.finish();
    const PatientReadResult stored = registry.read(position);
    if (!stored.record)
        throw CommandFailure{stored.message};
    failOn(registry.edit(position, options.over(PatientFields::fromRecord(*stored.record))));
    printPosition(ctx, position);
    return 0;
}

int deletePatient(CliContext& ctx, const PatientRegistry& registry) {
    const int position = ctx.requireIntOption("position");
    CliPrompter prompter = CliPrompter::forRemoval(ctx.takeFlag("yes"), "patients delete");
    ctx.finish();
    const PatientDeleteResult result = registry.remove(position, prompter.get(), nullptr);
    failOn(result.message);
    if (ctx.json)
        ctx.printJson(QJsonObject{{"position", position}, {"deleted", result.deleted}});
    else
        ctx.printLine(result.deleted ? QStringLiteral("deleted") : QStringLiteral("kept"));
    return 0;
}

int searchPatients(CliContext& ctx, const PatientRegistry& registry) {
    const auto byId = ctx.takeOption("id");
    const auto byName = ctx.takeOption("name");
    ctx.finish();
    if (byId.has_value() == byName.has_value())
        throw UsageError("patients search takes either --id or --name");
    const PatientSearchResult result = byId ? registry.search(PatientSearchField::Id, *byId)
                                            : registry.search(PatientSearchField::Name, *byName);
    failOn(result.message);
    QJsonArray positions;
    for (int p : result.positions)
        positions.append(p);
    if (ctx.json) {
        ctx.printJson(positions);
    } else {
        for (int p : result.positions)
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
