#include "ui/dialogs/WorklistDialog.h"

#include "core/AppSettings.h"
#include "core/AppState.h"
#include "core/Langpack.h"
#include "core/StringIds.h"
#include "ui/frame/MessageBoxPrompter.h"
#include "ui/widgets/BackgroundCall.h"

#include <QLocale>
#include <QPushButton>

namespace vantora {

namespace {

constexpr int kQueryTimeoutSeconds = 10;

QStringList headers() {
    QStringList h;
    for (int id : {ids::kName, ids::kPatientId, ids::kDateOfBirth, ids::kSex, ids::kScheduled,
                   ids::kAccessionNumber, ids::kRequestedProcedure})
        h << Langpack::text(id).remove(u'&').remove(u':').trimmed();
    return h;
}

QStringList rowTexts(const WorklistItem& item) {
    const WorklistPatient p = worklistPatient(item);
    return {p.name,
            p.id,
            p.birthDate.isValid() ? formatPatientDate(p.birthDate) : QString(),
            p.sexChoice >= 0 ? sexText(p.sexChoice) : item.sex,
            QLocale::system().toString(item.scheduled.time(), QLocale::ShortFormat),
            item.accessionNumber,
            item.requestedProcedure};
}

} // namespace

WorklistDialog::WorklistDialog(AppState& state, MessageBoxPrompter& prompter, QWidget* parent)
    : QueryListDialog(Langpack::text(ids::kWorklist), headers(), ids::kTake, parent), state_(state),
      prompter_(prompter) {
    query();
}

void WorklistDialog::query() {
    const DicomSettings settings = DicomSettings::load(AppSettings());
    if (!settings.worklist.isSet()) {
        showStatus(Langpack::text(ids::kWorklistNotChosen));
        return;
    }
    showStatus(Langpack::format(ids::kAskingPeer, settings.worklist.text()));
    setBusy(true);
    const QDate today = QDate::currentDate();
    using Answer = Result<std::vector<WorklistItem>>;
    runInBackground<Answer>(
        this,
        [settings, today] {
            return queryWorklist(settings.stationAet, settings.worklist, today,
                                 kQueryTimeoutSeconds);
        },
        [this](Answer answer) {
            setBusy(false);
            items_ = answer.ok() ? std::move(answer).value() : std::vector<WorklistItem>{};
            std::vector<QStringList> rows;
            for (const WorklistItem& item : items_)
                rows.push_back(rowTexts(item));
            const QString status = !answer.ok()     ? answer.message().text()
                                   : items_.empty() ? Langpack::text(ids::kNoWorklistSteps)
                                                    : QString();
            showRows(std::move(rows), status);
        });
}

void WorklistDialog::act(int row) {
    const Result<Admission> taken = admitFromWorklist(state_.dataRoot, items_[size_t(row)],
                                                      prompter_, QDateTime::currentDateTime());
    if (!taken.ok()) {
        prompter_.show(taken.message());
        return;
    }
    admitted_ = taken.value();
    state_.currentPatient = taken.value().position;
    accept();
}

} // namespace vantora
