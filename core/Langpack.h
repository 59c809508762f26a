#pragma once

#include <QHash>
#include <QImage>
#include <QString>
#include <QStringList>

namespace vantora {

// The resource library: every user-visible text of the station by number, plus
// icons and bitmaps. It is a Qt binary resource file ("langpack.rcc") beside
// the executable, registered by file name at start. Without it only the
// program's own few texts exist and every other text is empty.
class Langpack {
public:
    static constexpr const char* kFileName = "langpack.rcc";
    static constexpr int kSplashBitmap = 183;

    // Registers the library at `rccPath` and makes it the source of every look-up.
    // Returns false, leaving the program's own texts in force, when it cannot.
    static bool load(const QString& rccPath);
    // Loads kFileName from the folder of the running executable.
    static bool loadBesideExecutable();
    static void unload();
    static bool isLoaded();

    static QString text(int id);
    // text(id) with its first "$" replaced by arg.
    static QString format(int id, const QString& arg);
    // Resource path (":/langpack/...") of an icon or bitmap, empty when absent.
    static QString resourcePath(const QString& name);
    static QImage bitmap(int id);

    // Parses "number<TAB>text" lines; '#' starts a comment line; backslash
    // escapes n, t and itself. Exposed for tests.
    static QHash<int, QString> parseStrings(const QByteArray& tsv);

private:
    static Langpack& instance();
    QHash<int, QString> strings_;
    QString rccPath_;
};

// Replaces the first "$" of text by arg; text without "$" is returned unchanged.
QString fillDollar(const QString& text, const QString& arg);
// Text `id` with its "$" filled in order by `args`; a "$" inside an argument stays.
QString fillText(int id, const QStringList& args);

} // namespace vantora
