#include "records/RecordDialogs.h"

namespace vantora {

QString filterPattern(const QString& filter) {
    const qsizetype close = filter.lastIndexOf(u')');
    const qsizetype open = close < 0 ? -1 : filter.lastIndexOf(u'(', close);
    if (open < 0)
        return filter.trimmed();
    return filter.mid(open + 1, close - open - 1).trimmed();
}

QString nameForFilter(const QString& typed, const QString& filter) {
    const QString pattern = filterPattern(filter);
    const qsizetype patternDot = pattern.indexOf(u'.');
    const QString extension = patternDot < 0 ? QString() : pattern.mid(patternDot);
    const qsizetype dot = typed.indexOf(u'.');
    return (dot < 0 ? QString() : typed.left(dot)) + extension;
}

} // namespace vantora
