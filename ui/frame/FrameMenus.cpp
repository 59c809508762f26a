#include "ui/frame/FrameMenus.h"

#include "core/Langpack.h"
#include "core/StringIds.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QSet>
#include <QToolBar>

namespace vantora {

QKeySequence commandShortcut(int command) {
    switch (command) {
    case ids::kCmdHome:
        return QKeySequence(Qt::CTRL | Qt::Key_1);
    case ids::kCmdContinuous:
        return QKeySequence(Qt::CTRL | Qt::Key_2);
    case ids::kCmdSnap:
        return QKeySequence(Qt::CTRL | Qt::Key_3);
    case ids::kCmdRealTime:
        return QKeySequence(Qt::CTRL | Qt::Key_4);
    case ids::kCmdDownload:
        return QKeySequence(Qt::CTRL | Qt::Key_5);
    case ids::kCmdReplay:
        return QKeySequence(Qt::CTRL | Qt::Key_6);
    case ids::kCmdRecords:
        return QKeySequence(Qt::CTRL | Qt::Key_7);
    case ids::kCmdAnalysis:
        return QKeySequence(Qt::CTRL | Qt::Key_8);
    case ids::kCmdTrend:
        return QKeySequence(Qt::CTRL | Qt::Key_9);
    case ids::kCmdPatients:
        return QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_N);
    case ids::kCmdPrint:
        return QKeySequence(Qt::CTRL | Qt::Key_P);
    case ids::kCmdPreview:
        return QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_P);
    // Ctrl+Shift+S already saves the report as PDF on the report pages.
    case ids::kCmdPicture:
        return QKeySequence(Qt::CTRL | Qt::Key_S);
    case ids::kCmdMail:
        return QKeySequence(Qt::CTRL | Qt::Key_M);
    case ids::kSendToArchive:
        return QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_A);
    case ids::kCmdHelp:
        return QKeySequence(Qt::Key_F1);
    case ids::kCmdExit:
        return QKeySequence(Qt::CTRL | Qt::Key_Q);
    default:
        return {};
    }
}

QString withShortcut(const QString& label, const QKeySequence& key) {
    return key.isEmpty()
               ? label
               : QStringLiteral("%1 (%2)").arg(label, key.toString(QKeySequence::NativeText));
}

namespace {

// The position of the letter to mark in `label`, -1 when every letter is taken.
qsizetype mnemonicPosition(const QString& label, const QSet<QChar>& taken) {
    const auto free = [&](qsizetype i) {
        return label[i].isLetterOrNumber() && !taken.contains(label[i].toLower());
    };
    for (qsizetype i = 0; i < label.size(); ++i)
        if ((i == 0 || !label[i - 1].isLetterOrNumber()) && free(i))
            return i;
    for (qsizetype i = 0; i < label.size(); ++i)
        if (free(i))
            return i;
    return -1;
}

// The letter a label already marks, or a null character.
QChar markedLetter(const QString& label) {
    for (qsizetype i = 0; i + 1 < label.size(); ++i) {
        if (label[i] != u'&')
            continue;
        if (label[i + 1] != u'&')
            return label[i + 1].toLower();
        ++i; // "&&" is a literal ampersand
    }
    return {};
}

} // namespace

QStringList withMnemonics(const QStringList& labels) {
    QSet<QChar> taken;
    for (const QString& label : labels)
        if (const QChar c = markedLetter(label); !c.isNull())
            taken.insert(c);
    QStringList out;
    for (const QString& label : labels) {
        if (!markedLetter(label).isNull()) {
            out << label;
            continue;
        }
        QString marked = label;
        marked.replace(u'&', QStringLiteral("&&"));
        const qsizetype pos = mnemonicPosition(label, taken);
        if (pos >= 0) {
            taken.insert(label[pos].toLower());
            // Ampersands before the letter were doubled.
            marked.insert(pos + label.left(pos).count(u'&'), u'&');
        }
        out << marked;
    }
    return out;
}

namespace {

void addMarked(QMenu* menu, const QList<QAction*>& actions) {
    QStringList labels;
    for (QAction* act : actions)
        labels << (act ? act->text() : QString());
    const QStringList marked = withMnemonics(labels);
    for (qsizetype i = 0; i < actions.size(); ++i) {
        if (!actions[i]) {
            menu->addSeparator();
            continue;
        }
        // The toolbar button shows the label without its mark.
        actions[i]->setIconText(actions[i]->iconText());
        actions[i]->setText(marked[i]);
        menu->addAction(actions[i]);
    }
}

QList<QAction*> commandActions(const std::function<QAction*(int)>& action,
                               std::initializer_list<int> commands) {
    QList<QAction*> out;
    for (int command : commands)
        out << (command ? action(command) : nullptr);
    return out;
}

} // namespace

void buildMenuBar(QMenuBar* bar, const std::function<QAction*(int)>& action, QToolBar* reportBar,
                  QMenu* recentFiles) {
    QMenu* file = bar->addMenu(Langpack::text(ids::kFile));
    // The page's own report commands (PDF) join while the page shows.
    QObject::connect(file, &QMenu::aboutToShow, file, [file, action, reportBar, recentFiles] {
        file->clear();
        QList<QAction*> items = commandActions(
            action, {ids::kCmdPrint, ids::kCmdPreview, ids::kCmdPicture, ids::kCmdMail});
        const QList<QAction*> fixed = items;
        if (reportBar)
            for (QAction* act : reportBar->actions())
                if (!fixed.contains(act))
                    items << act;
        if (recentFiles)
            items << nullptr << recentFiles->menuAction();
        items << nullptr << action(ids::kCmdExit);
        addMarked(file, items);
    });
    // Built once so that the keys of its items work before it was opened.
    emit file->aboutToShow();
    addMarked(bar->addMenu(Langpack::text(ids::kView)),
              commandActions(action, {ids::kCmdHome, ids::kCmdContinuous, ids::kCmdSnap,
                                      ids::kCmdRealTime, 0, ids::kCmdDownload, ids::kCmdReplay,
                                      ids::kCmdRecords, ids::kCmdAnalysis, ids::kCmdTrend}));
    addMarked(bar->addMenu(Langpack::text(ids::kTools)),
              commandActions(action, {ids::kCmdPatients, 0, ids::kWorklist, ids::kSendToArchive,
                                      ids::kCmdSendWaiting, ids::kCmdDicomSettings}));
    addMarked(bar->addMenu(Langpack::text(ids::kHelp)),
              commandActions(action, {ids::kCmdHelp, ids::kCmdAbout}));
}

} // namespace vantora
