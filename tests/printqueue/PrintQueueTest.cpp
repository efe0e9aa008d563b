// A real print queue: a private CUPS scheduler, started by the test in a temporary folder
// with its own configuration and a port of its own on 127.0.0.1, with a cups-pdf queue. A
// collection is printed to it through the program's printer and the PDF the queue writes
// is read back. Skipped, with the reason, where such a scheduler cannot run here.

#include "print/PrintFixture.h"

#include "fakes/Fakes.h"
#include "platform/qt/QtPrinter.h"
#include "print/CPrint.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QThread>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <pwd.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace kv;
using namespace kv::test;

namespace {

const QString kBackend = QStringLiteral("/usr/lib/cups/backend/cups-pdf");
const QString kPpd = QStringLiteral("/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd");

QString sbin(const QString& name) {
    return QStandardPaths::findExecutable(name, {QStringLiteral("/usr/sbin"), QStringLiteral("/sbin"),
                                                 QStringLiteral("/usr/bin")});
}

int freePort() {
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof a;
    int port = 0;
    if (::bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 &&
        ::getsockname(s, reinterpret_cast<sockaddr*>(&a), &len) == 0)
        port = ntohs(a.sin_port);
    ::close(s);
    return port;
}

bool answers(int port) {
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(quint16(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool ok = ::connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
    ::close(s);
    return ok;
}

// Where cups-pdf puts a job's file: its configured "Out" folder, ${HOME} being the home of
// the user the job runs for.
QString cupsPdfOutFolder() {
    QString out = QStringLiteral("${HOME}/PDF");
    QFile conf(QStringLiteral("/etc/cups/cups-pdf.conf"));
    if (conf.open(QIODevice::ReadOnly))
        for (const QByteArray& raw : conf.readAll().split('\n')) {
            const QString line = QString::fromUtf8(raw).trimmed();
            if (line.startsWith(QLatin1String("Out ")) || line.startsWith(QLatin1String("Out\t")))
                out = line.mid(4).trimmed();
        }
    const passwd* user = ::getpwuid(::geteuid());
    return out.replace(QStringLiteral("${HOME}"), user ? QString::fromLocal8Bit(user->pw_dir) : QDir::homePath());
}

class PrivateCups {
public:
    ~PrivateCups() { stop(); }

    // Empty when the scheduler runs with the queue in place; otherwise why it does not.
    QString start() {
        const QString cupsd = sbin(QStringLiteral("cupsd"));
        lpadmin = sbin(QStringLiteral("lpadmin"));
        if (cupsd.isEmpty() || lpadmin.isEmpty()) return QStringLiteral("cups is not installed");
        if (!QFileInfo::exists(kBackend) || !QFileInfo::exists(kPpd)) return QStringLiteral("cups-pdf is not installed");
        // The backend is readable by root alone (it writes into users' folders).
        if (::geteuid() != 0) return QStringLiteral("the cups-pdf backend runs only under a scheduler started as root");
        if (!dir.isValid()) return QStringLiteral("no temporary folder");
        port = freePort();
        if (port == 0) return QStringLiteral("no free port on 127.0.0.1");

        // The scheduler's filters run as an unprivileged user: they must reach the spool.
        QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup |
                                              QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther);
        const QString root = dir.path();
        for (const char* sub : {"spool", "cache", "state", "log"})
            QDir(root).mkdir(QLatin1String(sub));
        writeFile(root + QStringLiteral("/cupsd.conf"),
                  QStringLiteral("Listen 127.0.0.1:%1\nLogLevel info\nBrowsing Off\nDefaultAuthType None\n"
                                 "WebInterface No\n<Location />\n  Order allow,deny\n  Allow from 127.0.0.1\n"
                                 "</Location>\n<Location /admin>\n  Order allow,deny\n  Allow from 127.0.0.1\n"
                                 "</Location>\n<Policy default>\n  <Limit All>\n    Order deny,allow\n  </Limit>\n"
                                 "</Policy>\n")
                      .arg(port)
                      .toUtf8());
        writeFile(root + QStringLiteral("/cups-files.conf"),
                  QStringLiteral("ServerRoot %1\nRequestRoot %1/spool\nCacheDir %1/cache\nStateDir %1/state\n"
                                 "TempDir %1/spool\nServerBin /usr/lib/cups\nDataDir /usr/share/cups\n"
                                 "ErrorLog %1/log/error_log\nAccessLog %1/log/access_log\nPageLog %1/log/page_log\n"
                                 "Printcap %1/printcap\nFileDevice No\n")
                      .arg(root)
                      .toUtf8());

        scheduler.setProgram(cupsd);
        scheduler.setArguments({QStringLiteral("-f"), QStringLiteral("-c"), root + QStringLiteral("/cupsd.conf"),
                                QStringLiteral("-s"), root + QStringLiteral("/cups-files.conf")});
        scheduler.setProcessChannelMode(QProcess::MergedChannels);
        scheduler.start();
        if (!scheduler.waitForStarted(5000)) return QStringLiteral("cupsd did not start");
        const QDeadlineTimer deadline(15000);
        while (!answers(port)) {
            if (scheduler.state() == QProcess::NotRunning || deadline.hasExpired())
                return QStringLiteral("cupsd did not come up: ") + QString::fromUtf8(scheduler.readAll()) +
                       QString::fromUtf8(fileBytes(root + QStringLiteral("/log/error_log")).right(2000));
            QThread::msleep(100);
        }
        const ProgramRun added = runProgram(lpadmin, {QStringLiteral("-h"), server(), QStringLiteral("-p"), queue,
                                               QStringLiteral("-E"), QStringLiteral("-v"), QStringLiteral("cups-pdf:/"),
                                               QStringLiteral("-P"), kPpd,
                                               // Keeps the text of the page readable through the
                                               // queue's PostScript step.
                                               QStringLiteral("-o"),
                                               QStringLiteral("pdftops-renderer-default=pdftocairo")});
        if (added.status != 0) return QStringLiteral("lpadmin failed: ") + QString::fromUtf8(added.err);
        return QString();
    }

    void stop() {
        if (scheduler.state() == QProcess::NotRunning) return;
        scheduler.terminate();
        if (!scheduler.waitForFinished(10000)) {
            scheduler.kill();
            scheduler.waitForFinished(5000);
        }
    }

    QString server() const { return QStringLiteral("127.0.0.1:%1").arg(port); }

    QTemporaryDir dir;
    QProcess scheduler;
    QString lpadmin;
    int port = 0;
    const QString queue = QStringLiteral("KorvandaTest%1").arg(::getpid());
};

TEST_F(ListDbTest, PrintsACollectionOnARealQueue) {
    if (!haveProgram(QStringLiteral("pdftotext"))) GTEST_SKIP() << "poppler-utils is not installed";
    PrivateCups cups;
    const QString why = cups.start();
    if (!why.isEmpty()) GTEST_SKIP() << "no private print queue here: " << why.toStdString();
    // Before the printer is first asked for, so the program's printer finds this scheduler.
    qputenv("CUPS_SERVER", cups.server().toUtf8());

    TestContext t;
    QtPrinter printer;
    printer.printer().setPrinterName(cups.queue);
    ASSERT_EQ(printer.deviceName(), cups.queue);

    const QString outFolder = cupsPdfOutFolder();
    const QStringList before = QDir(outFolder).entryList({QStringLiteral("*.pdf")}, QDir::Files);
    const QString title = QStringLiteral("Korvanda queue test %1").arg(::getpid());
    ListPrintJob job = jobFor(5, true, true);
    ASSERT_TRUE(printList(printer.startDocument(title), QFont(), listOf(5), job,
                          [&] { printer.abortDocument(); }));
    EXPECT_TRUE(t.messages.boxes.empty());

    // The queue converts the job and cups-pdf writes it out: wait for the file, a bounded time.
    QString written;
    const QDeadlineTimer deadline(90000);
    while (written.isEmpty() && !deadline.hasExpired()) {
        for (const QString& name : QDir(outFolder).entryList({QStringLiteral("*.pdf")}, QDir::Files))
            if (!before.contains(name) && name.contains(QString::number(::getpid()))) written = QDir(outFolder).filePath(name);
        if (written.isEmpty()) QThread::msleep(250);
    }
    ASSERT_FALSE(written.isEmpty()) << "the queue wrote no PDF into " << outFolder.toStdString() << "\n"
                                    << fileBytes(cups.dir.filePath(QStringLiteral("log/error_log"))).right(3000).toStdString();
    // The backend may still be writing it: wait until it stops growing.
    for (qint64 size = -1; !deadline.hasExpired();) {
        QThread::msleep(300);
        const qint64 now = QFileInfo(written).size();
        if (now > 0 && now == size) break;
        size = now;
    }
    const QStringList lines = textLines(pdfText(written));
    QFile::remove(written);
    EXPECT_EQ(lines.value(0), QStringLiteral("Collection : Vinyl, mostly"));
    EXPECT_TRUE(lines.contains(QStringLiteral("Afterglow (Orla Venn)"))) << lines.join('|').toStdString();
    EXPECT_TRUE(lines.contains(QStringLiteral("This item may not be available as it is no longer in print")));
    EXPECT_EQ(lines.value(lines.size() - 1), QStringLiteral("second one scratched"));
}

} // namespace

namespace {

TEST(QtPrinterTest, WithoutAPrinterDocumentsGoToAPdfFileAndTheNameSaysSo) {
    if (!haveProgram(QStringLiteral("pdftotext"))) GTEST_SKIP() << "poppler-utils is not installed";
    // A scheduler address where nothing answers: a machine without printers.
    qputenv("CUPS_SERVER", "127.0.0.1:1");
    TestContext t;
    QtPrinter printer;
    EXPECT_EQ(printer.deviceName(), QStringLiteral("PDF file: ") + QtPrinter::defaultPdfFile());
    EXPECT_TRUE(QtPrinter::defaultPdfFile().endsWith(QStringLiteral("/Korvanda.pdf")));

    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("letter.pdf"));
    printer.printer().setOutputFileName(file);
    EXPECT_EQ(printer.deviceName(), QStringLiteral("PDF file: ") + file);
    CPrint cp;
    cp.Initialize_Printing(QFont(), printer.startDocument(QStringLiteral("Letter")));
    cp.Paragraph_Text(QStringLiteral("Dear Sir or Madam,"));
    cp.Done_Printing();
    EXPECT_EQ(textLines(pdfText(file)), QStringList({QStringLiteral("Dear Sir or Madam,")}));
}

} // namespace
