#include "core/DataPaths.h"

namespace vantora::paths {

QString registry(const QString& root) {
    return root + QStringLiteral("/UserDA.txt");
}
QString scratchRegistry(const QString& root) {
    return registry(root) + QStringLiteral(".new");
}
QString snapFolder(const QString& root) {
    return root + QStringLiteral("/SnapData");
}
QString continueFolder(const QString& root) {
    return root + QStringLiteral("/ContinueData");
}
QString helpFile(const QString& root) {
    return root + QStringLiteral("/ECG.chm");
}

QString modeFolder(const QString& root, RecordingMode mode) {
    return mode == RecordingMode::Snap ? snapFolder(root) : continueFolder(root);
}

QString snapData(const QString& root, const QString& id) {
    return snapFolder(root) + u'/' + id + QStringLiteral("-Snap.dat");
}
QString snapIndex(const QString& root, const QString& id) {
    return snapFolder(root) + u'/' + id + QStringLiteral("-idx.dat");
}
QString continueData(const QString& root, const QString& id) {
    return continueFolder(root) + u'/' + id + QStringLiteral("-Con.dat");
}
QString continueIndex(const QString& root, const QString& id) {
    return continueFolder(root) + u'/' + id + QStringLiteral("-idx.dat");
}

QString continueTrendCache(const QString& root, const QString& id) {
    return continueFolder(root) + u'/' + id + QStringLiteral("-trend.dat");
}

QString dataFile(const QString& root, RecordingMode mode, const QString& id) {
    return mode == RecordingMode::Snap ? snapData(root, id) : continueData(root, id);
}
QString indexFile(const QString& root, RecordingMode mode, const QString& id) {
    return mode == RecordingMode::Snap ? snapIndex(root, id) : continueIndex(root, id);
}

QString notesFile(const QString& root, RecordingMode mode, const QString& id) {
    return modeFolder(root, mode) + u'/' + id + QStringLiteral("_Diag.dat");
}
QString scratchDataFile(const QString& root, RecordingMode mode, const QString& id) {
    return root + u'/' + id +
           (mode == RecordingMode::Snap ? QStringLiteral("-Snap.dat") : QStringLiteral("-Con.dat"));
}
QString scratchIndexFile(const QString& root, const QString& id) {
    return root + u'/' + id + QStringLiteral("-idx.dat");
}
QString journalFile(const QString& root, RecordingMode mode, const QString& id) {
    return root + u'/' + id +
           (mode == RecordingMode::Snap ? QStringLiteral("-Snap.jnl") : QStringLiteral("-Con.jnl"));
}
QString deleteJournal(const QString& root, const QString& id) {
    return root + u'/' + id + QStringLiteral("-Del.jnl");
}

} // namespace vantora::paths
