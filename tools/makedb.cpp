// Lays down the shipped databases. Replaced by the real builder once the schema exists.
#include <QCoreApplication>
#include <QFile>
#include <QStringList>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    for (const char* opt : {"--template", "--sample"}) {
        const int i = args.indexOf(QString::fromLatin1(opt));
        if (i < 0 || i + 1 >= args.size())
            return 2;
        QFile f(args[i + 1]);
        if (!f.open(QIODevice::WriteOnly))
            return 1;
    }
    return 0;
}
