#include "StderrNotifier.h"

#include <QString>
#include <cstdio>

namespace {

void print(const QString& title, const QString& text) {
    const QByteArray line = (title + QStringLiteral(": ") + text + QLatin1Char('\n')).toLocal8Bit();
    std::fwrite(line.constData(), 1, size_t(line.size()), stderr);
    std::fflush(stderr);
}

} // namespace

void StderrNotifier::critical(const QString& title, const QString& text) {
    print(title, text);
}

void StderrNotifier::warning(const QString& title, const QString& text) {
    print(title, text);
}

void StderrNotifier::information(const QString& title, const QString& text) {
    print(title, text);
}

bool StderrNotifier::question(const QString& title, const QString& text) {
    print(title, text + QStringLiteral(" [answered no]"));
    return false;
}
