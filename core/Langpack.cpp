#include "core/Langpack.h"

#include "core/Message.h"
#include "core/StringIds.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QResource>

namespace vantora {

namespace {

constexpr const char* kMapRoot = "/langpack";

// The program's own resources: the document template string, the application
// title and the idle status text.
QHash<int, QString> ownStrings() {
    return {
        {ids::kDocTemplate,
         QStringLiteral("Vantora System\n\nCorvid\nVantora Chart Files (*.cEcg)\n.cEcg\n"
                        "Corvid.Document\nCorvid Document")},
        {ids::kAppTitle, QStringLiteral("Vantora  System ")},
        {ids::kIdleStatus, QStringLiteral("Ready")},
    };
}

// Texts the program builds itself rather than taking from the library; they
// stay available with or without it.
QString programLiteral(int id) {
    if (id == ids::kPatientIdExists)
        return QStringLiteral("User ID already exist,please reinput patient id!");
    return {};
}

QString unescape(QStringView s) {
    QString out;
    out.reserve(s.size());
    for (qsizetype i = 0; i < s.size(); ++i) {
        if (s[i] == u'\\' && i + 1 < s.size()) {
            const QChar c = s[++i];
            out += c == u'n' ? QChar(u'\n') : c == u't' ? QChar(u'\t') : c;
        } else {
            out += s[i];
        }
    }
    return out;
}

} // namespace

Langpack& Langpack::instance() {
    static Langpack pack = [] {
        Langpack p;
        p.strings_ = ownStrings();
        return p;
    }();
    return pack;
}

QHash<int, QString> Langpack::parseStrings(const QByteArray& tsv) {
    QHash<int, QString> strings;
    const QString all = QString::fromUtf8(tsv);
    for (QStringView line : QStringView(all).split(u'\n')) {
        if (line.endsWith(u'\r'))
            line.chop(1);
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        const qsizetype tab = line.indexOf(u'\t');
        if (tab <= 0)
            continue;
        bool ok = false;
        const int id = line.left(tab).trimmed().toInt(&ok);
        if (ok)
            strings.insert(id, unescape(line.mid(tab + 1)));
    }
    return strings;
}

bool Langpack::load(const QString& rccPath) {
    unload();
    if (!QFile::exists(rccPath) || !QResource::registerResource(rccPath, kMapRoot))
        return false;
    QFile file(QStringLiteral(":/langpack/strings.tsv"));
    if (!file.open(QIODevice::ReadOnly)) {
        QResource::unregisterResource(rccPath, kMapRoot);
        return false;
    }
    Langpack& p = instance();
    p.rccPath_ = rccPath;
    p.strings_ = parseStrings(file.readAll());
    return true;
}

bool Langpack::loadBesideExecutable() {
    return load(QDir(QCoreApplication::applicationDirPath()).filePath(kFileName));
}

void Langpack::unload() {
    Langpack& p = instance();
    if (!p.rccPath_.isEmpty())
        QResource::unregisterResource(p.rccPath_, kMapRoot);
    p.rccPath_.clear();
    p.strings_ = ownStrings();
}

bool Langpack::isLoaded() {
    return !instance().rccPath_.isEmpty();
}

QString Langpack::text(int id) {
    const auto it = instance().strings_.constFind(id);
    return it != instance().strings_.cend() ? *it : programLiteral(id);
}

QString Langpack::format(int id, const QString& arg) {
    return fillDollar(text(id), arg);
}

QString Langpack::resourcePath(const QString& name) {
    if (!isLoaded())
        return {};
    const QString path = QStringLiteral(":/langpack/") + name;
    return QFile::exists(path) ? path : QString();
}

QImage Langpack::bitmap(int id) {
    const QString path = resourcePath(QStringLiteral("bitmaps/%1.png").arg(id));
    return path.isEmpty() ? QImage() : QImage(path);
}

QString fillDollar(const QString& text, const QString& arg) {
    const qsizetype at = text.indexOf(u'$');
    if (at < 0)
        return text;
    QString out = text;
    out.replace(at, 1, arg);
    return out;
}

QString fillText(int id, const QStringList& args) {
    QString out = Langpack::text(id);
    qsizetype from = 0;
    for (const QString& arg : args) {
        const qsizetype at = out.indexOf(u'$', from);
        if (at < 0)
            break;
        out.replace(at, 1, arg);
        from = at + arg.size();
    }
    return out;
}

QString Message::text() const {
    return Langpack::format(id, arg);
}

} // namespace vantora
