// vantora-cli trend: the Continuous store's trend as the trend page shows it,
// one row per recording in store order, read from (and kept in) the same cache.
#include "analysis/ResultFields.h"
#include "analysis/TrendBatch.h"
#include "records/RecordingTime.h"
#include "tools/cli/CliContext.h"
#include "tools/cli/StoreOptions.h"

#include <QJsonArray>
#include <QJsonObject>

namespace vantora::cli {

namespace {

std::optional<QDateTime> takeTime(CliContext& ctx, const char* name) {
    const auto text = ctx.takeOption(name);
    if (!text)
        return std::nullopt;
    const QDateTime at = QDateTime::fromString(*text, Qt::ISODate);
    if (!at.isValid())
        throw UsageError(std::string("trend: --") + name +
                         " is a date and time such as 2026-11-05T14:30 (local) or with its "
                         "offset, 2026-11-05T14:30+01:00");
    return at;
}

QJsonObject pointJson(const TrendPoint& p) {
    const auto value = [&p](double v) { return p.analysed ? QJsonValue(v) : QJsonValue(); };
    return QJsonObject{{"number", p.number},
                       {"start", isoDateTimeText(p.start)},
                       {"end", isoDateTimeText(p.end)},
                       {"analysed", p.analysed},
                       {"heartRate", value(p.heartRate)},
                       {"stMm", value(p.stMm)},
                       {"pr", value(p.pr)},
                       {"qrs", value(p.qrs)},
                       {"qt", value(p.qt)},
                       {"qtc", value(p.qtc)},
                       {"eventMask", int(p.eventMask)},
                       {"storedHeartRate", int(p.storedHeartRate)}};
}

} // namespace

int runTrend(CliContext& ctx) {
    const PatientRef patient = requirePatient(ctx);
    const auto from = takeTime(ctx, "from");
    const auto to = takeTime(ctx, "to");
    const QString format = ctx.takeOption("format").value_or(ctx.json ? QStringLiteral("json")
                                                                      : QStringLiteral("csv"));
    ctx.finish();
    if (format != u"json" && format != u"csv")
        throw UsageError("trend: --format is csv or json");
    if (from && to && *to <= *from)
        throw UsageError("trend: --to must come after --from");

    const TrendSeries series = valueOf(loadTrend(ctx.dataRoot, patient.id));
    // A recording belongs to the period when any part of its 30 s does.
    const auto inPeriod = [&](const TrendPoint& p) {
        return (!from || p.end > *from) && (!to || p.start < *to);
    };
    if (format == u"json") {
        QJsonArray rows;
        for (const TrendPoint& p : series.points)
            if (inPeriod(p))
                rows.append(pointJson(p));
        ctx.printJson(rows);
        return 0;
    }
    ctx.printLine(
        QStringLiteral("number,start,end,heart_rate_bpm,st_mm,pr_ms,qrs_ms,qt_ms,qtc_ms"));
    for (const TrendPoint& p : series.points) {
        if (!inPeriod(p))
            continue;
        QStringList row{QString::number(p.number), isoDateTimeText(p.start),
                        isoDateTimeText(p.end)};
        for (const QString& field : resultFieldTexts(p))
            row << (field == u"..." ? QString() : field); // as analyse --all writes it
        ctx.printLine(row.join(u','));
    }
    return 0;
}

} // namespace vantora::cli
