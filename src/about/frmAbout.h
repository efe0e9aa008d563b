#pragma once

#include <QDialog>
#include <QImage>
#include <QList>

class QFrame;
class QLabel;
class QPushButton;
class QScrollBar;
class QTabWidget;

namespace kv {

struct PagePiece;

// The about box: the product, its version and build, the user the copy is registered to
// (from "MYABOUT.INI"), and the publisher, credits and designer pages typeset by CPrint on
// pictures. Modal; OK closes it.
class frmAbout : public QDialog {
    Q_OBJECT
public:
    explicit frmAbout(QWidget* parent = nullptr);

    // "Build :" and the program's major, minor and revision numbers.
    static QString buildText();

    QTabWidget* SSTab1;
    // Product tab.
    QLabel* PicIcon;
    QLabel* lblProgName;
    QLabel* Label1;
    QLabel* lblVerText;
    QLabel* Label2;
    QLabel* Label3;
    QLabel* lblProduct;
    QLabel* lblName;
    QLabel* lblAddress;
    QLabel* lblCityStateZip;
    QPushButton* cmdQuestionaire;
    // Publisher tab.
    QLabel* picFileProd;
    // Credits tab: the picture slides inside its container as the scroll bar moves.
    QFrame* picContainer;
    QLabel* PicCredits;
    QScrollBar* VScroll1;
    // Designer tab.
    QLabel* picDesigner;
    QPushButton* cmdOK;

    void cmdQuestionaire_Click();
    bool Fill_Page_Credits();

private:
    QWidget* productTab();
    QWidget* creditsTab();
    void Fill_User_Info();
    bool Fill_Page_Publisher();
    bool Fill_Page_Designer();
    // Typesets the page on a picture of the label's width, at least minHeight tall and
    // taller when the text needs it; returns the height the text used.
    int typesetInto(QLabel* picture, const QList<PagePiece>& page, int minHeight, double pointSize);

};

} // namespace kv
