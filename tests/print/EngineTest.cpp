// The print engine on real devices: a PDF page read back with pdftotext, and a picture.

#include "PrintFixture.h"

#include "core/VbError.h"
#include "print/CPrint.h"

#include <QImage>
#include <QPdfWriter>

using namespace kv;
using namespace kv::test;

namespace {

class EngineTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!haveProgram(QStringLiteral("pdftotext"))) GTEST_SKIP() << "poppler-utils is not installed";
    }
    // Sets the paragraphs on an A4 page in 12 point Times New Roman and reads them back.
    QStringList printed(const QStringList& paragraphs, int* pages = nullptr) {
        {
            QPdfWriter writer(pdf);
            CPrint cp;
            cp.Initialize_Printing(QFont(), writer);
            QFont font(QStringLiteral("Times New Roman"));
            font.setPointSize(12);
            cp.setActiveFont(font);
            for (const QString& p : paragraphs)
                cp.Paragraph_Text(p);
            if (pages) *pages = cp.pageCount();
            cp.Done_Printing();
        }
        return textLines(pdfText(pdf));
    }
    QTemporaryDir dir;
    QString pdf = dir.filePath(QStringLiteral("engine.pdf"));
};

bool isBreak(QChar c) { return QStringLiteral(" .,:;").contains(c); }

TEST_F(EngineTest, ALongParagraphWrapsAtBreakCharacters) {
    const QString sentence = QStringLiteral(
        "The grey heron stands in the shallows at dawn, waiting; the river moves past it: slowly, patiently, "
        "without a sound. Then the bird strikes, and the water closes again over the place where it stood. ");
    const QString text = (sentence + sentence + sentence).trimmed();
    const QStringList lines = printed({text});
    ASSERT_GE(lines.size(), 3);
    // Every line ends where the text had a break character: on one, or before a blank.
    qsizetype at = 0;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        while (at < text.size() && text.at(at) == QLatin1Char(' ')) ++at;
        ASSERT_TRUE(text.mid(at).startsWith(lines[i])) << lines[i].toStdString();
        at += lines[i].size();
        if (i + 1 < lines.size()) {
            EXPECT_TRUE(isBreak(text.at(at - 1)) || isBreak(text.at(at))) << lines[i].toStdString();
        }
    }
    EXPECT_EQ(at, text.size());
}

TEST_F(EngineTest, AWordWithoutBreaksIsCutWithADash) {
    QString word;
    for (int i = 0; i < 30; ++i)
        word += QStringLiteral("Abcdefghij").at(i % 10) + QStringLiteral("xyzw");
    const QStringList lines = printed({word, QStringLiteral("Short line, with: breaks; in it.")});
    ASSERT_GE(lines.size(), 3);
    QString joined;
    for (qsizetype i = 0; i + 1 < lines.size(); ++i) {
        if (i + 2 < lines.size()) {
            ASSERT_TRUE(lines[i].endsWith(QStringLiteral(" -"))) << lines[i].toStdString();
            joined += lines[i].chopped(2);
        } else {
            joined += lines[i];
        }
    }
    EXPECT_EQ(joined, word);
    // A paragraph narrower than the page stays one line, break characters and all.
    EXPECT_EQ(lines.last(), QStringLiteral("Short line, with: breaks; in it."));
}

TEST_F(EngineTest, OutputPastTheBottomStartsANewPage) {
    QStringList paragraphs;
    for (int i = 1; i <= 120; ++i)
        paragraphs << QStringLiteral("Line %1").arg(i);
    int pages = 0;
    const QStringList lines = printed(paragraphs, &pages);
    EXPECT_EQ(lines, paragraphs);
    const QStringList pageTexts = pdfText(pdf).split(QLatin1Char('\f'), Qt::SkipEmptyParts);
    ASSERT_EQ(pageTexts.size(), 3);
    EXPECT_EQ(pages, 3);
    EXPECT_TRUE(textLines(pageTexts[0]).startsWith(QStringLiteral("Line 1")));
    EXPECT_EQ(textLines(pageTexts[2]).last(), QStringLiteral("Line 120"));
}

// The rows of a picture that hold anything darker than the white ground.
std::pair<int, int> inkRows(const QImage& image) {
    int first = -1, last = -1;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qGray(image.pixel(x, y)) < 160) {
                if (first < 0) first = y;
                last = y;
                break;
            }
    return {first, last};
}

TEST(EnginePicture, SetsTextFromTheTopAndTellsHowFarItWent) {
    QImage image(300, 400, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    CPrint cp;
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPointSize(8);
    cp.Initialize_PictureBox(font, image, QMarginsF(10, 8, 10, 8));
    EXPECT_DOUBLE_EQ(cp.printableWidth(), 280.0);
    cp.Paragraph_Text(QStringLiteral("First line"));
    const double oneLine = cp.CurrentY();
    cp.Para_Break(1.2);
    cp.Paragraph_Text(QStringLiteral("A paragraph long enough to wrap onto a second line in this narrow picture, "
                                     "and onto a third as well."));
    const double used = cp.CurrentY();
    cp.Done_Printing();
    EXPECT_GT(oneLine, 0);
    EXPECT_GT(used, oneLine * 3);
    const auto [first, last] = inkRows(image);
    EXPECT_GE(first, 8);
    EXPECT_LT(first, 8 + oneLine);
    // The last ink sits on the last line, inside the height the engine reports.
    EXPECT_LE(last, 8 + used);
    EXPECT_GT(last, 8 + used - oneLine);
}

TEST(EnginePicture, APictureNarrowerThanALetterStillEnds) {
    QImage image(4, 200, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    CPrint cp;
    cp.Initialize_PictureBox(QFont(), image);
    cp.Paragraph_Text(QStringLiteral("A"));
    const double line = cp.CurrentY();
    cp.Paragraph_Text(QStringLiteral("abc"));
    // One letter a line: "a -", "b -", "c -".
    EXPECT_DOUBLE_EQ(cp.CurrentY(), 4 * line);
    cp.Done_Printing();
}

TEST(EnginePrinter, APrinterThatCannotStartRaisesPrinterError) {
    QPdfWriter writer(QStringLiteral("/nonexistent-folder/out.pdf"));
    CPrint cp;
    try {
        cp.Initialize_Printing(QFont(), writer);
        FAIL() << "started a document that cannot be written";
    } catch (const VbError& e) {
        EXPECT_EQ(e.number(), 482);
    }
    EXPECT_FALSE(cp.isActive());
}

} // namespace
