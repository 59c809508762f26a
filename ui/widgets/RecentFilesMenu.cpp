#include "ui/widgets/RecentFilesMenu.h"

#include "core/AppSettings.h"
#include "core/Langpack.h"
#include "core/RecentFiles.h"
#include "core/StringIds.h"

#include <QFileInfo>
#include <QIcon>
#include <QMenu>

namespace vantora {

QMenu* makeRecentFilesMenu(QWidget* parent, std::function<void(const QString&)> open) {
    auto* menu = new QMenu(Langpack::text(ids::kRecentFiles), parent);
    menu->setIcon(QIcon(Langpack::resourcePath(QStringLiteral("icons/recent.svg"))));
    menu->setToolTipsVisible(true);
    QObject::connect(menu, &QMenu::aboutToShow, menu, [menu, open = std::move(open)] {
        menu->clear();
        const QStringList files = RecentFiles::existing(RecentFiles::load(AppSettings()));
        if (files.isEmpty())
            menu->addAction(Langpack::text(ids::kNoRecentFiles))->setEnabled(false);
        for (int i = 0; i < files.size(); ++i) {
            const QString path = files[i];
            QAction* entry = menu->addAction(
                QStringLiteral("&%1 %2").arg(i + 1).arg(QFileInfo(path).fileName()));
            entry->setToolTip(path);
            QObject::connect(entry, &QAction::triggered, menu, [open, path] { open(path); });
        }
    });
    return menu;
}

} // namespace vantora
