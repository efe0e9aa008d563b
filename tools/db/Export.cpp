#include "Export.h"

#include "core/VbError.h"
#include "db/Database.h"
#include "platform/AppContext.h"
#include "print/ListPrint.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <cstdio>

using namespace kv;

namespace {

void errOut(const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    std::fwrite(utf8.constData(), 1, size_t(utf8.size()), stderr);
}

int usage() {
    errOut(QStringLiteral("usage: korvanda-db export DB COLLECTION_NUMBER OUT.{txt,csv,html,pdf} "
                          "[--details recording|custom|recording,custom]\n"));
    return 2;
}

// Errors the writers report go to standard error instead of a message box.
class StderrBox : public IMessageBox {
public:
    int show(const QString& text, int, const QString&) override {
        QString line = text;
        line.replace(QLatin1Char('\r'), QStringLiteral(" - "));
        errOut(QStringLiteral("korvanda-db: ") + line + QLatin1Char('\n'));
        return mb::OK;
    }
    void beep() override {}
};

bool parseDetails(const QString& text, ListPrintJob& job) {
    for (const QString& part : text.split(QLatin1Char(','))) {
        if (part == QLatin1String("recording"))
            job.bRecordingDetails = true;
        else if (part == QLatin1String("custom"))
            job.bCustomDetails = true;
        else
            return false;
    }
    return true;
}

} // namespace

int exportMain(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QStringList args = app.arguments().mid(2);

    ListPrintJob job;
    const qsizetype details = args.indexOf(QStringLiteral("--details"));
    if (details >= 0) {
        if (details + 1 >= args.size() || !parseDetails(args[details + 1], job)) return usage();
        args.remove(details, 2);
    }
    if (args.size() != 3) return usage();
    bool number = false;
    const int id = args[1].toInt(&number);
    if (!number || id < -32768 || id > 32767) return usage();
    const QString out = args[2];
    static const QStringList known{QStringLiteral("txt"), QStringLiteral("csv"), QStringLiteral("html"),
                                   QStringLiteral("htm"), QStringLiteral("pdf")};
    if (!known.contains(QFileInfo(out).suffix().toLower())) return usage();

    ScopedContext context;
    context->services.messages = std::make_unique<StderrBox>();
    try {
        const Database db = Database::open(args[0], true);
        if (!collectionListJob(db, qint16(id), job)) {
            errOut(QStringLiteral("korvanda-db: there is no collection %1\n").arg(id));
            return 1;
        }
        Recordset rs = db.OpenRecordset(collectionListSql(qint16(id)), dbOpenSnapshot);
        return writeListFile(out, listFileFormat(out), rs, job) ? 0 : 1;
    } catch (const VbError& e) {
        errOut(QStringLiteral("Error %1: %2\n").arg(e.number()).arg(e.description()));
        return 1;
    }
}
