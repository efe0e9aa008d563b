// The order letter on paper: the print options dialog as the fax page shows it, and the
// letter printed to a PDF file (the printer is a device) and read back with poppler's tools.

#include "OrderFixture.h"

#include "collections/frmPrint.h"
#include "fakes/FakePrinter.h"
#include "settings/ui/frmHelp.h"
#include "shopping/OrderPrint.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>

using namespace kv;
using namespace kv::test;

namespace {

QByteArray run(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    p.waitForFinished(30000);
    return p.readAllStandardOutput();
}

// A text's lines with blanks and tabs made one blank, empty lines left out.
QStringList simplifiedLines(const QString& text) {
    QStringList out;
    for (const QString& line : text.split(QRegularExpression(QStringLiteral("[\\r\\n\\f]")))) {
        const QString s = line.simplified();
        if (!s.isEmpty()) out << s;
    }
    return out;
}

// Each text run of the PDF with its font size and its top, from pdftohtml's XML.
struct TextRun {
    QString text;
    double size = 0;
    int top = 0;
};
std::vector<TextRun> pdfRuns(const QString& pdf) {
    const QString xml = QString::fromUtf8(run(QStringLiteral("pdftohtml"), {QStringLiteral("-xml"), QStringLiteral("-i"),
                                                                             QStringLiteral("-stdout"), QStringLiteral("-q"), pdf}));
    QHash<QString, double> sizes;
    static const QRegularExpression font(QStringLiteral("<fontspec id=\"(\\d+)\" size=\"([\\d.]+)\""));
    for (auto it = font.globalMatch(xml); it.hasNext();) {
        const auto m = it.next();
        sizes[m.captured(1)] = m.captured(2).toDouble();
    }
    std::vector<TextRun> runs;
    static const QRegularExpression text(
        QStringLiteral("<text top=\"(\\d+)\"[^>]*font=\"(\\d+)\"[^>]*>(.*?)</text>"));
    for (auto it = text.globalMatch(xml); it.hasNext();) {
        const auto m = it.next();
        runs.push_back({m.captured(3).simplified(), sizes.value(m.captured(2)), m.captured(1).toInt()});
    }
    return runs;
}

class OrderPrintTest : public OrderTest {
protected:
    OrderPrintTest() {
        addThreeItems();
        printer = new FakePrinter(dir.filePath(QStringLiteral("order.pdf")));
        ctx().services.printer.reset(printer);
    }
    static bool havePoppler() { return !QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty(); }
    QStringList printedLines() {
        return simplifiedLines(QString::fromUtf8(
            run(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), printer->file, QStringLiteral("-")})));
    }
    // The e-mailed letter's lines, as the printed ones should read.
    QStringList letterLines(bool card, bool contact) {
        QString text = Order_Send_Head(shop, user, card, contact, Order_Date_Text(QDate::currentDate()));
        Recordset rs = ordered();
        EXPECT_TRUE(Order_Send_Data_all(rs, text));
        return simplifiedLines(text);
    }
    bool printWith(std::function<void(frmPrint&)> person, bool card = false, bool contact = false) {
        t.dialogs.script([person](QDialog& d) { person(static_cast<frmPrint&>(d)); });
        Recordset rs = ordered();
        return Order_Print(rs, shop, card, contact);
    }
    FakePrinter* printer;
};

} // namespace

TEST_F(OrderPrintTest, TheDialogOffersOnlyThePrinterAndTheLetterComesOutLineForLine) {
    bool seen = false;
    EXPECT_TRUE(printWith(
        [&](frmPrint& d) {
            seen = true;
            EXPECT_EQ(d.windowTitle(), "Print/Fax Order");
            EXPECT_TRUE(d.Frame1->isHidden());
            EXPECT_TRUE(d.Frame2->isHidden());
            EXPECT_TRUE(d.chkToFile->isHidden());
            EXPECT_FALSE(d.Label2->isHidden());
            EXPECT_EQ(d.Label2->text(), "Select your Fax printer if you wish to Fax this Order");
            d.cmdOK->click();
        },
        true, true));
    EXPECT_TRUE(seen);
    EXPECT_EQ(printer->titles, QStringList{"Record Order"});
    EXPECT_EQ(printer->aborts, 0);
    EXPECT_EQ(frmHelp::instance()->Label1->text(), "List Printed ...");
    EXPECT_TRUE(t.messages.boxes.empty());
    EXPECT_EQ(t.busy.depth(), 0);
    if (!havePoppler()) GTEST_SKIP() << "poppler-utils is not installed";
    // A tab that ends just past a long label leaves no gap in the extracted text.
    const auto compact = [](QStringList lines) {
        for (QString& line : lines) line.remove(u' ');
        return lines;
    };
    EXPECT_EQ(compact(printedLines()), compact(letterLines(true, true)));
}

TEST_F(OrderPrintTest, TheTitleStandsAt16PointBetweenEmptyLinesAndTheRestAt12) {
    ASSERT_TRUE(printWith([](frmPrint& d) { d.cmdOK->click(); }));
    if (!havePoppler()) GTEST_SKIP() << "poppler-utils is not installed";
    const std::vector<TextRun> runs = pdfRuns(printer->file);
    ASSERT_GE(runs.size(), 3u);
    EXPECT_EQ(runs[0].text, "Record Order");
    EXPECT_EQ(runs[1].text, "To:");
    EXPECT_EQ(runs[2].text, "Spin City Records");
    EXPECT_NEAR(runs[0].size / runs[1].size, 16.0 / 12.0, 0.05);
    // Two empty 16-point lines under the title: its step to "To:" is three of its lines,
    // which is more than three 12-point steps.
    const int bodyStep = runs[2].top - runs[1].top;
    EXPECT_GT(runs[1].top - runs[0].top, 3 * bodyStep);
    // And two above it.
    EXPECT_GT(runs[0].top, 2 * bodyStep);
}

TEST_F(OrderPrintTest, AnAddressOfSeveralLinesPrintsEachLineAsAParagraph) {
    user.Address = QStringLiteral("3 Elm Road\nHeworth\r\nYork");
    ASSERT_TRUE(printWith([](frmPrint& d) { d.cmdOK->click(); }));
    if (!havePoppler()) GTEST_SKIP() << "poppler-utils is not installed";
    const QStringList lines = printedLines();
    const qsizetype at = lines.indexOf(QStringLiteral("3 Elm Road"));
    ASSERT_GE(at, 0) << lines.join(" | ").toStdString();
    EXPECT_EQ(lines.mid(at, 4), (QStringList{"3 Elm Road", "Heworth", "York", "YO1 7HH"}));
    EXPECT_EQ(lines, letterLines(false, false)) << "the e-mail breaks the address the same way";
}

TEST_F(OrderPrintTest, CancellingTheDialogPrintsNothing) {
    EXPECT_FALSE(printWith([](frmPrint& d) { d.cmdCancel->click(); }));
    EXPECT_TRUE(printer->titles.isEmpty());
    EXPECT_FALSE(QFile::exists(printer->file));
    EXPECT_TRUE(t.messages.boxes.empty());
    // The close box cancels too.
    EXPECT_FALSE(printWith([](frmPrint& d) { d.reject(); }));
    EXPECT_TRUE(printer->titles.isEmpty());
}

TEST_F(OrderPrintTest, WithoutAPrinterTheFailureIsReportedNotPassedForPrinted) {
    ctx().services.printer.reset();
    EXPECT_FALSE(printWith([](frmPrint& d) { d.cmdOK->click(); }));
    ASSERT_EQ(t.messages.boxes.size(), 1u);
    EXPECT_EQ(t.messages.last().title, "Error");
    EXPECT_TRUE(t.messages.last().text.endsWith("Order_Print_Data")) << t.messages.last().text.toStdString();
    EXPECT_NE(frmHelp::instance()->Label1->text(), "List Printed ...");
}
