#pragma once

#include "app/ScreenWindow.h"
#include "shopping/ShopRecord.h"
#include "titles/TitleViewer.h"

#include <QString>
#include <array>

class QAction;
class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QMenu;

namespace kv {

class DataControl;
class DataGrid;
class ImageButton;

// Picture numbers of the shopping screen (added to the resource base).
namespace shoppingArt {
constexpr int Directory = 5001, DirectoryDown = 5002;
constexpr int Print = 5003, PrintDown = 5004;
constexpr int VMB = 5005, VMBDown = 5006;
constexpr int Feature = 5007, FeatureDown = 5008;
constexpr int OrderDirect = 5009, OrderDirectDown = 5010;
constexpr int Phone = 5011, PhoneDown = 5012;
constexpr int Fax = 5013, FaxDown = 5014;
constexpr int Email = 5015, EmailDown = 5016;
constexpr int User = 5017, UserDown = 5018;
constexpr int ChkOff = 5020, ChkOn = 5021;
constexpr int Backdrop = 5040;
constexpr int Send = 5056, SendDown = 5058;
} // namespace shoppingArt

// The shopping screen: the shopping list (screen code 5), the shop directory (6), a
// featured shop's page (7), the page of a shop that takes orders directly (8) and the
// telephone, fax and e-mail ordering pages (9 to 11), one page at a time.
class frmShopping : public ScreenWindow {
    Q_OBJECT
    // The user's filter on the shopping list: it narrows the list (never widens it past
    // the shopping list); "" shows the whole list again.
    Q_PROPERTY(QString WhereClause READ WhereClause WRITE setWhereClause)
public:
    frmShopping();
    ~frmShopping() override;

    void Form_Mode(int mode) override;
    void Show_me() override;
    // Fills the town chooser from wheel "|4" of the shop directory and chooses the first.
    bool Setup_Shops();
    void Init_Grid_Order();
    void Init_Grid_Ordered();
    void Init_Grid_Directory();
    // Sets and reads the grid's record source for a mode.
    bool Set_DataSource(int mode);
    QString WhereClause() const { return m_userWhere; }
    void setWhereClause(const QString& clause);

    int mode() const { return m_mode; }
    // The shop chosen in the directory.
    const ShopRecord& shop() const { return m_shop; }
    // The record sources, as the screen builds them once.
    const QString& orderSource() const { return m_sqlOrder; }
    const QString& orderedSource() const { return m_sqlOrdered; }
    const QString& printSource() const { return m_sqlPrint; }
    const QString& clearSource() const { return m_sqlClear; }
    // The viewer position kept for the way back to the directory.
    ViewerPosition savedPosition() const { return m_viewerPosition; }
    // False when the shop directory could not be opened: the program is ending.
    bool isUsable() const { return m_usable; }

    // The user's actions.
    void imgDirectory_Click();
    void imgFeature_Click();
    void imgOrderDirect_Click();
    void imgPhone_Click();
    void imgFax_Click();
    void imgEmail_Click();
    void imgVMB_Click();
    void imgUser_Click();
    void imgPrint_Click();
    void imgSend_Click();
    void cboTowns_Click();
    void imgDrop_Click();
    // A hotspot of the directory viewer (its data string).
    void MvrShops_Hotspot(const QString& data);
    // Toggles the order tick of the current row (Space, Enter, a click on the box).
    void Toggle_Order();
    void mnuPop1Order_Click();
    void mnupop1remove_Click();
    void mnuPop1Prop_Click();
    // The pop-up menu as it opens: pending edits committed, the order item captioned.
    void preparePopup();

    bool bItems_Ordered();
    bool bPrint_CheckData();

    // Controls, in the order of the form definition.
    QWidget* picDrop;
    ImageButton* imgDrop;
    QCheckBox* chkContact;
    QCheckBox* chkCardPay;
    QComboBox* cboTowns;
    DataControl* Data1;
    TitleViewer* MvrShops;
    ImageButton* imgVMB;
    ImageButton* imgPrint;
    ImageButton* imgSend;
    ImageButton* imgUser;
    ImageButton* imgDn;
    ImageButton* imgUp;
    std::array<QLabel*, 5> lblOrders{};
    DataGrid* TDBGrid1;
    ImageButton* imgOrderDirect;
    ImageButton* imgFeature;
    QLabel* lblTown;
    ImageButton* imgFax;
    // The telephone-order button; its tag holds the page the telephone page was opened from.
    ImageButton* imgPhone;
    ImageButton* imgEmail;
    std::array<QLabel*, 2> lblInstructions{};
    QLabel* imgChkOff;
    QLabel* imgChkOn;
    ImageButton* imgDirectory;
    QFrame* Shape1;
    QFrame* Shape2;
    QFrame* Shape3;
    QFrame* Shape4;
    QLabel* ImgMain;
    QMenu* mnuPop1node;
    QAction* mnuPop1Order;
    QAction* mnupop1remove;
    QAction* mnuPop1Prop;

    // The order column of the shopping list.
    static constexpr int kOrderColumn = 3;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void createControls();
    void connectEvents();
    void Form_Load();
    void arrange();
    void showModeControls();
    void showShopButtons();
    void setOrderLabels();
    void rowChanged();
    void setTick(bool ticked);
    bool currentTicked() const;
    void closeWheel();
    bool isOrderingPage() const;

    int m_mode = 0;
    bool m_loading = false;
    bool m_usable = true;
    QString m_sqlOrder, m_sqlOrdered, m_sqlPrint, m_sqlClear;
    QString m_sqlOrderSelect, m_sqlOrderWhere, m_sqlOrderSort;
    QString m_userWhere;
    ShopRecord m_shop;
    bool m_shopChosen = false;
    MVHandle m_wheelTowns = 0;
    ViewerPosition m_viewerPosition;
};

} // namespace kv
