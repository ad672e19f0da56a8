#include <QCoreApplication>
#include <QTextStream>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTextStream(stdout) << QStringLiteral(
        "Výpočet mezní odchylky: okno programu přijde v další verzi.\n");
    return 0;
}
