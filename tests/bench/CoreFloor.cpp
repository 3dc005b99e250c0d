// glimra-bench-floor: the least a Qt command-line program costs, the baseline of glimractl's
// figures. A QCoreApplication that lists the folder given and prints one line.
#include <QCoreApplication>
#include <QDir>

#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    const QDir folder(arguments.size() > 1 ? arguments[1] : QDir::currentPath());
    const QStringList entries = folder.entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    std::printf("%lld entries in %s\n", static_cast<long long>(entries.size()),
                qPrintable(folder.path()));
    return 0;
}
