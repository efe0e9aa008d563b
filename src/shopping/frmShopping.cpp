#include "shopping/frmShopping.h"

#include "app/Navigation.h"
#include "app/frmBackground.h"
#include "catalogue/Catalogue.h"
#include "collections/CollectionPrint.h"
#include "collections/CollectionStore.h"
#include "collections/DataControl.h"
#include "collections/DataGrid.h"
#include "collections/NRCollections.h"
#include "core/ErrorReport.h"
#include "core/RecordHelpers.h"
#include "platform/AppContext.h"
#include "platform/FormNames.h"
#include "platform/qt/ImageButton.h"
#include "platform/qt/WindowUtil.h"
#include "settings/ui/frmHelp.h"
#include "shopping/OrderMail.h"
#include "shopping/OrderPrint.h"
#include "shopping/frmPropUser.h"
#include "titles/TitleAccess.h"
#include "titles/TopicData.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTimer>

namespace kv {

namespace {

const QString kQuote = QStringLiteral("\"");
// A line feed followed by a carriage return: how the ordering pages break their lines.
const QString kLFCR = QStringLiteral("\n\r");
const QString kOutOfPrint = QStringLiteral("The item you have selected is out of print.") +
                            QChar(u'\r') + QStringLiteral("Try VMB who may be able to locate it");
const QString kOrderTicked = QStringLiteral("[Order it] = True");

const char* const kShoppingGridStyle =
    "QTableView { background: #14161f; color: #f4efe6; border: 1px solid #2b3042;"
    "  selection-background-color: #e8a33d; selection-color: #14161f; outline: 0; }"
    "QTableView:focus { border: 1px solid #8a6a3a; }"
    "QHeaderView::section { background: #232838; color: #b9b4a8; border: none;"
    "  border-bottom: 1px solid #3a3f52; padding: 2px 4px; }"
    "QScrollBar:vertical { background: #1d2130; width: 10px; margin: 0; }"
    "QScrollBar::handle:vertical { background: #3a4058; min-height: 20px; border-radius: 4px; }"
    "QScrollBar::add-line:vertical, QScrollBar::sub-line:vertical { height: 0; }";

const char* const kPopupStyle =
    "QMenu { background: #1d2130; color: #f4efe6; border: 1px solid #e8a33d; padding: 3px; }"
    "QMenu::item { padding: 3px 18px 3px 12px; }"
    "QMenu::item:selected { background: #e8a33d; color: #14161f; }"
    "QMenu::item:disabled { color: #6f6b66; }";

const char* const kPanelStyle =
    "QFrame { background: rgba(20, 22, 31, 150); border: 1px solid rgba(63, 181, 168, 70);"
    "  border-radius: 6px; }";

const char* const kTextStyle = "color: #f4efe6;";
const char* const kCheckStyle =
    "QCheckBox { color: #f4efe6; } QCheckBox:focus { color: #e8a33d; }";

constexpr int kRightColumn = 460;
constexpr int kButtonStep = 34;

bool isDirectoryMode(int mode) {
    return mode >= screen::ShopDirectory && mode <= screen::OrderDirectShop;
}

QLabel* textLabel(QWidget* parent, const QString& name, qreal points, bool bold) {
    auto* l = named(new QLabel(parent), name);
    l->setStyleSheet(QString::fromLatin1(kTextStyle));
    l->setTextFormat(Qt::PlainText);
    l->setWordWrap(true);
    l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    QFont f = l->font();
    f.setPointSizeF(points);
    f.setBold(bold);
    l->setFont(f);
    return l;
}

// The order column drawn with the screen's own tick pictures; a click on it, anywhere in
// the cell, changes the tick.
class TickDelegate : public QStyledItemDelegate {
public:
    TickDelegate(QLabel* off, QLabel* on, std::function<void(int row)> clicked, QObject* parent)
        : QStyledItemDelegate(parent), m_off(off), m_on(on), m_clicked(std::move(clicked)) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        const QVariant state = index.data(Qt::CheckStateRole);
        if (!state.isValid()) return QStyledItemDelegate::paint(painter, option, index);
        QStyleOptionViewItem plain = option;
        initStyleOption(&plain, index);
        plain.features &= ~QStyleOptionViewItem::HasCheckIndicator;
        plain.text.clear();
        QStyle* style = option.widget ? option.widget->style() : QApplication::style();
        style->drawControl(QStyle::CE_ItemViewItem, &plain, painter, option.widget);
        const QPixmap picture = (state.toInt() == Qt::Checked ? m_on : m_off)->pixmap();
        const QSizeF size = picture.deviceIndependentSize();
        const QPointF at(option.rect.center().x() - size.width() / 2 + 1,
                         option.rect.center().y() - size.height() / 2 + 1);
        painter->drawPixmap(at, picture);
    }

    bool editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                     const QModelIndex& index) override {
        if (!index.data(Qt::CheckStateRole).isValid())
            return QStyledItemDelegate::editorEvent(event, model, option, index);
        if (event->type() == QEvent::MouseButtonRelease) {
            auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() == Qt::LeftButton && option.rect.contains(mouse->position().toPoint()))
                m_clicked(index.row());
            return true;
        }
        return event->type() == QEvent::MouseButtonDblClick;
    }

private:
    QLabel* m_off;
    QLabel* m_on;
    std::function<void(int)> m_clicked;
};

} // namespace

frmShopping::frmShopping() : ScreenWindow(form::Shopping) {
    // The record sources, built once. The "Both" column reads: title, two spaces, the
    // artist in parentheses.
    const QString both = QStringLiteral("[Title]+") + kQuote + QStringLiteral("  (") + kQuote +
                         QStringLiteral("+[Artist]+") + kQuote + QStringLiteral(")") + kQuote +
                         QStringLiteral(" AS Both");
    const QString from = QStringLiteral(" From [Collection - Contents]");
    const QString ordered =
        QStringLiteral(" WHERE (([Collection - Contents].[Collection ID]=1) AND "
                       "([Collection - Contents].[Order]=True))");
    const QString sort =
        QStringLiteral(" ORDER BY [Collection - Contents].Title, [Collection - Contents].Artist");
    m_sqlOrderSelect =
        QStringLiteral("SELECT DISTINCTROW [Collection - Contents].[Catalogue Number],"
                       "[Collection - Contents].[Album ID], ") +
        both +
        QStringLiteral(",[Collection - Contents].Order as [Order it],[Collection - Contents].Deleted") +
        from;
    m_sqlOrderWhere = QStringLiteral(" WHERE ((([Collection - Contents].[Collection ID])=1))");
    m_sqlOrderSort = sort;
    m_sqlOrder = m_sqlOrderSelect + m_sqlOrderWhere + m_sqlOrderSort + QStringLiteral(";");
    m_sqlOrdered =
        QStringLiteral("SELECT DISTINCTROW [Collection - Contents].[Album ID], ") + both +
        QStringLiteral(",[Collection - Contents].[Catalogue Number], [Collection - Contents].[Medium], "
                       "[Collection - Contents].[Title], [Collection - Contents].[Artist],"
                       "[Collection - Contents].Deleted") +
        from + ordered + sort + QStringLiteral(";");
    m_sqlPrint = QStringLiteral("SELECT DISTINCTROW [Collection - Contents].*, ") + both + from +
                 ordered + sort + QStringLiteral(";");
    m_sqlClear = QStringLiteral("UPDATE DISTINCTROW [Collection - Contents] SET "
                                "[Collection - Contents].[Order] = False WHERE "
                                "((([Collection - Contents].[Collection ID])=1));");

    createControls();
    Check_Resolution();
    frmPropUser::installDetailsSource();
    Form_Load();
}

frmShopping::~frmShopping() {
    closeWheel();
    if (imgVMB->isVisible()) Show_Tip(QString());
}

void frmShopping::createControls() {
    const int base = ctx().constants.lngResourceBase;
    const auto button = [&](const char* name, int normal, int pressed, const QString& what) {
        auto* b = named(new ImageButton(base + normal, base + pressed, this), QString::fromLatin1(name));
        b->setToolTip(what);
        b->setAccessibleName(what);
        b->hide();
        return b;
    };
    const auto panel = [&](const char* name) {
        auto* frame = named(new QFrame(this), QString::fromLatin1(name));
        frame->setStyleSheet(QString::fromLatin1(kPanelStyle));
        frame->setAttribute(Qt::WA_TransparentForMouseEvents);
        frame->hide();
        return frame;
    };

    ImgMain = named(new QLabel(this), QStringLiteral("ImgMain"));
    ImgMain->setPixmap(resourcePicture(base + shoppingArt::Backdrop, this));
    ImgMain->setScaledContents(true);
    Shape1 = panel("Shape1");
    Shape2 = panel("Shape2");
    Shape3 = panel("Shape3");
    Shape4 = panel("Shape4");

    picDrop = named(new QWidget(this), QStringLiteral("picDrop"));
    imgDrop = named(new ImageButton(base + 3016, base + 3017, picDrop), QStringLiteral("imgDrop"));
    imgDrop->setToolTip(QStringLiteral("Show the towns"));
    imgDrop->setAccessibleName(QStringLiteral("Show the towns"));
    picDrop->resize(imgDrop->size());
    picDrop->hide();
    chkContact = named(new QCheckBox(QStringLiteral("Please Contact me to Confim Order"), this),
                       QStringLiteral("chkContact"));
    chkCardPay = named(new QCheckBox(QStringLiteral("Pay by Credit Card"), this), QStringLiteral("chkCardPay"));
    for (QCheckBox* box : {chkContact, chkCardPay}) {
        box->setStyleSheet(QString::fromLatin1(kCheckStyle));
        box->hide();
    }
    cboTowns = named(new QComboBox(this), QStringLiteral("cboTowns"));
    cboTowns->setMaxVisibleItems(14);
    cboTowns->hide();
    Data1 = new DataControl(this);
    Data1->setObjectName(QStringLiteral("Data1"));
    MvrShops = named(new TitleViewer(this), QStringLiteral("MvrShops"));
    MvrShops->setAccessibleName(QStringLiteral("Shop directory"));
    MvrShops->hide();
    imgVMB = button("imgVMB", shoppingArt::VMB, shoppingArt::VMBDown,
                    QStringLiteral("Try VMB, who may find a record that is out of print"));
    imgPrint = button("imgPrint", shoppingArt::Print, shoppingArt::PrintDown,
                      QStringLiteral("Print the ticked items"));
    imgSend = button("imgSend", shoppingArt::Send, shoppingArt::SendDown, QStringLiteral("Send"));
    imgUser = button("imgUser", shoppingArt::User, shoppingArt::UserDown, QStringLiteral("Your Details"));
    imgDn = button("imgDn", 3014, 3015, QStringLiteral("Next row"));
    imgUp = button("imgUp", 3012, 3013, QStringLiteral("Previous row"));
    for (int i = 0; i < int(lblOrders.size()); ++i) {
        lblOrders[i] = textLabel(this, QStringLiteral("lblOrders_%1").arg(i), i == 0 ? 11 : 9.5, i <= 1);
        lblOrders[i]->hide();
    }
    TDBGrid1 = named(new DataGrid(this), QStringLiteral("TDBGrid1"));
    TDBGrid1->setStyleSheet(QString::fromLatin1(kShoppingGridStyle));
    TDBGrid1->setDataControl(Data1);
    TDBGrid1->hide();
    imgOrderDirect = button("imgOrderDirect", shoppingArt::OrderDirect, shoppingArt::OrderDirectDown,
                            QStringLiteral("Order direct from the shop"));
    imgFeature = button("imgFeature", shoppingArt::Feature, shoppingArt::FeatureDown,
                        QStringLiteral("The featured shop's own page"));
    lblTown = textLabel(this, QStringLiteral("lblTown"), 10, true);
    lblTown->setText(QStringLiteral("Town :"));
    lblTown->setBuddy(cboTowns);
    lblTown->hide();
    imgFax = button("imgFax", shoppingArt::Fax, shoppingArt::FaxDown, QStringLiteral("Order by fax"));
    imgPhone = button("imgPhone", shoppingArt::Phone, shoppingArt::PhoneDown,
                      QStringLiteral("Order by telephone"));
    imgEmail = button("imgEmail", shoppingArt::Email, shoppingArt::EmailDown, QStringLiteral("Order by e-mail"));
    lblInstructions[0] = textLabel(this, QStringLiteral("lblInstructions_0"), 11, true);
    lblInstructions[0]->setText(QStringLiteral("This is your shopping list."));
    lblInstructions[1] = textLabel(this, QStringLiteral("lblInstructions_1"), 9.5, false);
    lblInstructions[1]->setText(QStringLiteral("Select the items you would like to order now and then "
                                               "click on a shop name from the shopping directory."));
    for (QLabel* l : lblInstructions)
        l->hide();
    // The two pictures of the order box; the grid draws them.
    imgChkOff = named(new QLabel(this), QStringLiteral("imgChkOff"));
    imgChkOff->setPixmap(resourcePicture(base + shoppingArt::ChkOff, this));
    imgChkOn = named(new QLabel(this), QStringLiteral("imgChkOn"));
    imgChkOn->setPixmap(resourcePicture(base + shoppingArt::ChkOn, this));
    imgChkOff->hide();
    imgChkOn->hide();
    imgDirectory = button("imgDirectory", shoppingArt::Directory, shoppingArt::DirectoryDown,
                          QStringLiteral("Choose a shop from the shop directory"));

    mnuPop1node = named(new QMenu(QStringLiteral("Popup1"), this), QStringLiteral("mnuPop1node"));
    mnuPop1node->setStyleSheet(QString::fromLatin1(kPopupStyle));
    mnuPop1Order = mnuPop1node->addAction(QStringLiteral("Order item"));
    mnuPop1Order->setObjectName(QStringLiteral("mnuPop1Order"));
    mnupop1remove = mnuPop1node->addAction(QStringLiteral("Don't Order Item"));
    mnupop1remove->setObjectName(QStringLiteral("mnupop1remove"));
    mnuPop1Prop = mnuPop1node->addAction(QStringLiteral("Properties"));
    mnuPop1Prop->setObjectName(QStringLiteral("mnuPop1Prop"));
    mnuPop1node->setDefaultAction(mnuPop1Prop);
    connectEvents();
}

void frmShopping::connectEvents() {
    TDBGrid1->setItemDelegate(
        new TickDelegate(imgChkOff, imgChkOn, [this](int row) {
            Data1->setCurrentRow(row);
            Toggle_Order();
        }, TDBGrid1));
    TDBGrid1->installEventFilter(this);

    connect(Data1, &DataControl::currentRowChanged, this, [this] { rowChanged(); });
    connect(TDBGrid1->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) {
                // The current column stays on the order column, so Space always means it.
                if (m_mode != screen::ShoppingList || !current.isValid() || current.column() == kOrderColumn)
                    return;
                TDBGrid1->selectionModel()->setCurrentIndex(current.siblingAtColumn(kOrderColumn),
                                                            QItemSelectionModel::NoUpdate);
            });
    connect(TDBGrid1, &DataGrid::menuRequested, this, [this](const QPoint& at) {
        if (m_mode != screen::ShoppingList) return;
        preparePopup();
        mnuPop1node->popup(at);
    });
    connect(imgDirectory, &ImageButton::clicked, this, [this] { imgDirectory_Click(); });
    connect(imgFeature, &ImageButton::clicked, this, [this] { imgFeature_Click(); });
    connect(imgOrderDirect, &ImageButton::clicked, this, [this] { imgOrderDirect_Click(); });
    connect(imgPhone, &ImageButton::clicked, this, [this] { imgPhone_Click(); });
    connect(imgFax, &ImageButton::clicked, this, [this] { imgFax_Click(); });
    connect(imgEmail, &ImageButton::clicked, this, [this] { imgEmail_Click(); });
    connect(imgVMB, &ImageButton::clicked, this, [this] { imgVMB_Click(); });
    connect(imgUser, &ImageButton::clicked, this, [this] { imgUser_Click(); });
    connect(imgPrint, &ImageButton::clicked, this, [this] { imgPrint_Click(); });
    connect(imgSend, &ImageButton::clicked, this, [this] { imgSend_Click(); });
    connect(imgDrop, &ImageButton::clicked, this, [this] { imgDrop_Click(); });
    connect(imgUp, &ImageButton::pressed, this, [this] { TDBGrid1->holdStep(-1); });
    connect(imgDn, &ImageButton::pressed, this, [this] { TDBGrid1->holdStep(1); });
    for (ImageButton* b : {imgUp, imgDn})
        connect(b, &ImageButton::released, this, [this] { TDBGrid1->releaseHold(); });
    connect(cboTowns, &QComboBox::activated, this, [this] { cboTowns_Click(); });
    connect(mnuPop1Order, &QAction::triggered, this, [this] { mnuPop1Order_Click(); });
    connect(mnupop1remove, &QAction::triggered, this, [this] { mnupop1remove_Click(); });
    connect(mnuPop1Prop, &QAction::triggered, this, [this] { mnuPop1Prop_Click(); });
    connect(MvrShops, &TitleViewer::linkClicked, this, [this](TitleLinkEvent& event) {
        if (!event.hotspot) return;
        event.handled = true;
        MvrShops_Hotspot(event.target);
    });
}

void frmShopping::Form_Load() {
    m_loading = true;
    // Every visit to the screen starts with nothing ticked.
    guarded("Form_Load", [&] { dbCatalogue().Execute(m_sqlClear); });
    if (!bOpenTALVMVTitle(QStringLiteral("Shops.M14"), MvrShops)) {
        m_usable = false;
        ctx().messages().show(QStringLiteral("Unable to continue without the Shops.M14 file"),
                              mb::OKOnly | mb::Exclamation);
        // The program ends through the background window's usual shutdown, once this load
        // has returned: the window being loaded is unloaded with the others.
        if (auto* background = ctx().forms.find<frmBackground>(form::Background))
            QTimer::singleShot(0, background, [background] { background->Unload_From_Code(); });
        return;
    }
    Setup_Shops();
    m_loading = false;
}

// --- the town chooser and the directory -------------------------------------------------------

void frmShopping::closeWheel() {
    if (m_wheelTowns) MVWordWheelClose(m_wheelTowns);
    m_wheelTowns = 0;
}

bool frmShopping::Setup_Shops() {
    return guarded("Setup_Shops", [&] {
        closeWheel();
        MVHandle wheel = 0;
        qint32 length = 0;
        const bool opened = bMV_OpenWordWheel(MvrShops->titleHandle(), QStringLiteral("4"), wheel, length);
        if (!wheel) return false;
        m_wheelTowns = wheel;
        cboTowns->clear();
        if (!opened) return false;
        for (qint32 i = 0; i < length; ++i) {
            QString keyword;
            if (!bMV_Keyword(wheel, i, keyword)) return false;
            cboTowns->addItem(keyword.trimmed());
        }
        if (cboTowns->count() > 0) {
            cboTowns->setCurrentIndex(0);
            cboTowns_Click();
        }
        return true;
    });
}

void frmShopping::cboTowns_Click() {
    guarded("cboTowns_Click", [&] {
        const QString keyword = cboTowns->currentText();
        if (keyword.isEmpty() || !m_wheelTowns) return;
        BusyScope busy;
        const qint32 count = nMV_KeyIndexGetCount(m_wheelTowns, keyword);
        if (count < 0) return;
        QList<qint32> addresses;
        if (!bMV_KeyIndexGetAddrs(m_wheelTowns, keyword, count, addresses) || addresses.isEmpty()) return;
        const MVHandle title = MvrShops->titleHandle();
        QString topicTitle;
        bMV_TopicTitle(title, addresses.front(), topicTitle);
        if (!MvrShops->jumpToAddress(vaMV_ConvertAddr(title, addresses.front()))) return;
        m_viewerPosition = MvrShops->position();
        // The shop chosen before is not on this page.
        m_shopChosen = false;
        showShopButtons();
    });
}

void frmShopping::imgDrop_Click() {
    cboTowns->setFocus();
    cboTowns->showPopup();
}

void frmShopping::MvrShops_Hotspot(const QString& data) {
    ShopRecord shop;
    QString kind;
    if (!bGetHotspotData(data, shop, kind)) return;
    m_shop = shop;
    m_shopChosen = true;
    if (kind == QLatin1String("F"))
        imgFeature_Click();
    else if (kind == QLatin1String("O"))
        imgOrderDirect_Click();
    showShopButtons();
}

void frmShopping::imgFeature_Click() {
    if (!m_shopChosen) return;
    // The way back to the directory returns to where it was left, not to a shop's page.
    if (m_mode == screen::ShopDirectory) m_viewerPosition = MvrShops->position();
    if (!MvrShops->jumpToContext(m_shop.Reference)) return;
    Go_To_Screen(screen::FeaturedShop);
}

void frmShopping::imgOrderDirect_Click() {
    if (!m_shopChosen) return;
    if (m_mode == screen::ShopDirectory) m_viewerPosition = MvrShops->position();
    if (!MvrShops->jumpToContext(m_shop.Reference)) return;
    Go_To_Screen(screen::OrderDirectShop);
}

void frmShopping::imgPhone_Click() {
    // The way back from the telephone page leads to the page it was opened from.
    imgPhone->tag = QString::number(m_mode);
    Go_To_Screen(screen::PhoneOrder);
}

void frmShopping::imgFax_Click() {
    Form_Mode(screen::FaxOrder);
}

void frmShopping::imgEmail_Click() {
    Form_Mode(screen::EmailOrder);
}

void frmShopping::imgVMB_Click() {
    Go_To_Screen(screen::ShopDirectory);
    if (m_mode == screen::ShopDirectory && cboTowns->count() > 1) {
        cboTowns->setCurrentIndex(1);
        cboTowns_Click();
    }
}

// --- modes -----------------------------------------------------------------------------------

bool frmShopping::isOrderingPage() const {
    return m_mode >= screen::PhoneOrder && m_mode <= screen::EmailOrder;
}

void frmShopping::Form_Mode(int mode) {
    if (!m_usable) return;
    BusyScope busy;
    const int previous = m_mode;
    if (mode != m_mode) {
        m_mode = mode;
        ScreenWindow::Form_Mode(mode);
        showModeControls();
        arrange();
        if (mode == screen::ShopDirectory &&
            (previous == screen::FeaturedShop || previous == screen::OrderDirectShop))
            MvrShops->setPosition(m_viewerPosition);
    }
    ctx().intCurrentScreen = mode;
    Set_DataSource(mode);
    if (isOrderingPage()) setOrderLabels();
}

void frmShopping::Show_me() {
    if (!m_usable) return;
    ScreenWindow::Show_me();
    if (m_mode == screen::ShoppingList) {
        TDBGrid1->setFocus();
        rowChanged();
    } else if (m_mode == screen::ShopDirectory) {
        cboTowns->setFocus();
    }
}

bool frmShopping::Set_DataSource(int mode) {
    return guarded("Set_DataSource", [&] {
        if (mode == screen::ShoppingList) {
            QString where = m_sqlOrderWhere;
            if (!m_userWhere.isEmpty())
                where = QStringLiteral(" WHERE ((([Collection - Contents].[Collection ID])=1) AND (") +
                        m_userWhere + QStringLiteral("))");
            Data1->setRecordSource(m_sqlOrderSelect + where + m_sqlOrderSort + QStringLiteral(";"));
            Data1->Refresh(dbCatalogue());
            Init_Grid_Order();
        } else if (mode >= screen::PhoneOrder && mode <= screen::EmailOrder) {
            Data1->setRecordSource(m_sqlOrdered);
            Data1->Refresh(dbCatalogue());
            Init_Grid_Ordered();
        } else {
            Init_Grid_Directory();
        }
    });
}

void frmShopping::setWhereClause(const QString& clause) {
    const QString before = m_userWhere;
    m_userWhere = clause;
    if (m_mode != screen::ShoppingList) return;
    // A condition the database cannot use is reported and dropped.
    if (!Set_DataSource(m_mode)) {
        m_userWhere = before;
        Set_DataSource(m_mode);
    }
}

void frmShopping::Init_Grid_Order() {
    // "Both" is Null for an item without an artist; the list's source has no title of its
    // own, so such a row shows its catalogue number rather than nothing.
    Data1->setColumns({{QStringLiteral("Catalogue Number")},
                       {QStringLiteral("Album ID")},
                       {QStringLiteral("Both"), QStringLiteral("Catalogue Number"), QStringLiteral("Recording")},
                       {QStringLiteral("Order it"), QString(), QString(), true},
                       {QStringLiteral("Deleted")}});
    for (int c = 0; c < Data1->columnCount(); ++c)
        TDBGrid1->setColumnHidden(c, c != 2 && c != kOrderColumn);
    QHeaderView* header = TDBGrid1->horizontalHeader();
    header->show();
    header->setSectionResizeMode(2, QHeaderView::Stretch);
    header->setSectionResizeMode(kOrderColumn, QHeaderView::Fixed);
    header->resizeSection(kOrderColumn, 64);
    TDBGrid1->setAccessibleName(QStringLiteral("Shopping list"));
}

void frmShopping::Init_Grid_Ordered() {
    Data1->setColumns({{QStringLiteral("Album ID")},
                       {QStringLiteral("Both"), QStringLiteral("Title"), QStringLiteral("Recording (Artist)")},
                       {QStringLiteral("Catalogue Number")},
                       {QStringLiteral("Medium"), QString(), QStringLiteral("Format")},
                       {QStringLiteral("Title")},
                       {QStringLiteral("Artist")},
                       {QStringLiteral("Deleted")}});
    for (int c = 0; c < Data1->columnCount(); ++c)
        TDBGrid1->setColumnHidden(c, c != 1 && c != 3);
    QHeaderView* header = TDBGrid1->horizontalHeader();
    header->show();
    header->setSectionResizeMode(1, QHeaderView::Stretch);
    header->setSectionResizeMode(3, QHeaderView::Interactive);
    header->resizeSection(3, 72);
    TDBGrid1->setAccessibleName(QStringLiteral("Items to order"));
}

void frmShopping::Init_Grid_Directory() {
    // The directory is the viewer's: the grid has nothing to show there.
    TDBGrid1->hide();
}

void frmShopping::showModeControls() {
    const bool list = m_mode == screen::ShoppingList;
    const bool directory = isDirectoryMode(m_mode);
    const bool ordering = isOrderingPage();
    const bool sending = m_mode == screen::FaxOrder || m_mode == screen::EmailOrder;
    for (QLabel* l : lblInstructions)
        l->setVisible(list);
    imgDirectory->setVisible(list);
    imgPrint->setVisible(list);
    if (!list) {
        imgVMB->hide();
        Show_Tip(QString());
    }
    for (QWidget* w : std::initializer_list<QWidget*>{TDBGrid1, imgUp, imgDn, Shape1})
        w->setVisible(list || ordering);
    for (QWidget* w : std::initializer_list<QWidget*>{lblTown, cboTowns, picDrop})
        w->setVisible(m_mode == screen::ShopDirectory);
    MvrShops->setVisible(directory);
    Shape3->setVisible(directory);
    for (QLabel* l : lblOrders)
        l->setVisible(ordering);
    for (QWidget* w : std::initializer_list<QWidget*>{imgUser, imgSend, chkContact, chkCardPay})
        w->setVisible(sending);
    Shape2->setVisible(ordering);
    showShopButtons();
}

void frmShopping::showShopButtons() {
    const bool chosen = m_shopChosen;
    imgFeature->setVisible(m_mode == screen::ShopDirectory && chosen && m_shop.Featured);
    imgOrderDirect->setVisible((m_mode == screen::ShopDirectory || m_mode == screen::FeaturedShop) &&
                               chosen && m_shop.OrdersDirect);
    imgPhone->setVisible(isDirectoryMode(m_mode) && chosen && !m_shop.Phone.isEmpty());
    // A shop is offered only the ways it can be reached by.
    imgFax->setVisible(m_mode == screen::OrderDirectShop && !m_shop.Fax.isEmpty());
    imgEmail->setVisible(m_mode == screen::OrderDirectShop && !m_shop.EMail.isEmpty());
    arrange();
}

void frmShopping::setOrderLabels() {
    static const char* const kPage[] = {"Telephone", "Fax", "E-mail"};
    const int page = m_mode - screen::PhoneOrder;
    lblOrders[0]->setText(QStringLiteral("Welcome to the ") + QLatin1String(kPage[page]) +
                          QStringLiteral(" ordering page.  You wish to order from :"));
    lblOrders[1]->setText(m_shop.Name + kLFCR + m_shop.Address);
    lblOrders[2]->setText(QStringLiteral("You have selected the following titles to order now"));
    if (m_mode == screen::PhoneOrder) {
        lblOrders[3]->setText(QStringLiteral("Call us to order your selection.  If you wish to pay now then "
                                             "get your credit card ready") +
                              kLFCR + kLFCR +
                              QStringLiteral("Please note that if you have been warned that a title is "
                                             "deleted we may not be able to get it for you"));
        lblOrders[4]->setText(QStringLiteral("Phone us on :  ") + m_shop.Phone);
    } else {
        lblOrders[3]->setText(QStringLiteral("Please click 'Your Details' to enter/edit your personal (and "
                                             "optionally credit card) details"));
        lblOrders[4]->setText(m_mode == screen::FaxOrder
                                  ? QStringLiteral("Click 'Send' to dispatch your order to :") + m_shop.Fax
                                  : QStringLiteral("Click 'Send' to dispatch your order to:") + m_shop.EMail);
    }
    arrange();
}

// Layout class 0, in the screen area's 600 x 335 logical pixels.
void frmShopping::arrange() {
    ImgMain->setGeometry(rect());
    ImgMain->lower();
    const auto stack = [](int top, std::initializer_list<QWidget*> column) {
        for (QWidget* w : column)
            if (!w->isHidden()) {
                w->move(kRightColumn, top);
                top += kButtonStep;
            }
    };
    if (m_mode == screen::ShoppingList) {
        lblInstructions[0]->setGeometry(12, 8, 440, 20);
        lblInstructions[1]->setGeometry(12, 28, 440, 32);
        Shape1->setGeometry(6, 62, 440, 267);
        TDBGrid1->setGeometry(12, 68, 398, 255);
        imgUp->move(416, 68);
        imgDn->move(416, 323 - imgDn->height());
        stack(62, {imgDirectory, imgPrint, imgVMB});
    } else if (isDirectoryMode(m_mode)) {
        const bool withTowns = m_mode == screen::ShopDirectory;
        lblTown->setGeometry(12, 12, 52, 22);
        cboTowns->setGeometry(66, 9, 220, 26);
        picDrop->move(290, 10);
        const QRect viewer = withTowns ? QRect(6, 42, 440, 287) : QRect(6, 6, 440, 323);
        Shape3->setGeometry(viewer);
        MvrShops->setGeometry(viewer.adjusted(6, 6, -6, -6));
        stack(viewer.top(), {imgFeature, imgOrderDirect, imgPhone, imgFax, imgEmail});
    } else if (isOrderingPage()) {
        lblOrders[0]->setGeometry(12, 8, 576, 20);
        lblOrders[1]->setGeometry(28, 30, 420, 36);
        lblOrders[2]->setGeometry(12, 70, 370, 18);
        Shape1->setGeometry(6, 90, 316, 239);
        TDBGrid1->setGeometry(12, 96, 274, 227);
        imgUp->move(292, 96);
        imgDn->move(292, 323 - imgDn->height());
        // The right panel is wide enough for the contact box's whole caption.
        Shape2->setGeometry(328, 90, 266, 239);
        if (m_mode == screen::PhoneOrder) {
            lblOrders[3]->setGeometry(336, 96, 252, 150);
            lblOrders[4]->setGeometry(336, 252, 252, 40);
            return;
        }
        // The shop's address ends the second text and may take a third line: each text gets
        // the height its lines need and what follows moves down, never up.
        const auto fit = [](QLabel* l, int top, int least) {
            l->setGeometry(336, top, 252, std::max(least, l->heightForWidth(252)));
            return l->geometry().bottom() + 1;
        };
        const int below = fit(lblOrders[4], fit(lblOrders[3], 96, 0) + 8, 40);
        const int boxes = std::max(206, below + 2);
        chkContact->setGeometry(336, boxes, 254, 20);
        chkCardPay->setGeometry(336, boxes + 22, 254, 20);
        imgUser->move(336, std::max(256, boxes + 50));
        imgSend->move(336, imgUser->y() + 34);
    }
}

// --- the shopping list grid ------------------------------------------------------------------

void frmShopping::rowChanged() {
    if (m_mode != screen::ShoppingList) return;
    const bool deleted = Data1->currentRow() >= 0 &&
                         guardedValue("rowChanged", false, [&] {
                             return bCheckNull(Data1->currentValue(QStringLiteral("Deleted")));
                         });
    const bool wasShown = imgVMB->isVisible();
    imgVMB->setVisible(deleted);
    arrange();
    if (deleted && isVisible())
        Show_Tip(kOutOfPrint);
    else if (wasShown)
        Show_Tip(QString());
}

bool frmShopping::currentTicked() const {
    return Data1->isTicked(Data1->currentRow(), kOrderColumn);
}

void frmShopping::setTick(bool ticked) {
    const int row = Data1->currentRow();
    if (m_mode != screen::ShoppingList || row < 0) return;
    // A write that fails is reported and the box shows what is stored.
    guarded("TDBGrid1_Update", [&] { Data1->setTicked(row, kOrderColumn, ticked); });
}

void frmShopping::Toggle_Order() {
    setTick(!currentTicked());
}

void frmShopping::preparePopup() {
    const bool row = Data1->currentRow() >= 0;
    mnuPop1Order->setText(row && currentTicked() ? QStringLiteral("Don't Order Item")
                                                 : QStringLiteral("Order Item"));
    for (QAction* a : {mnuPop1Order, mnupop1remove, mnuPop1Prop})
        a->setEnabled(row);
}

void frmShopping::mnuPop1Order_Click() {
    Toggle_Order();
}

void frmShopping::mnupop1remove_Click() {
    setTick(false);
}

void frmShopping::mnuPop1Prop_Click() {
    if (Data1->currentRow() < 0) return;
    const QString catalogueNumber = strCheckNull(Data1->currentValue(QStringLiteral("Catalogue Number")));
    if (bCollection_Item_Edit(1, catalogueNumber)) Data1->refreshRows();
}

bool frmShopping::eventFilter(QObject* watched, QEvent* event) {
    if (watched == TDBGrid1 && event->type() == QEvent::KeyPress && m_mode == screen::ShoppingList) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter) {
            Toggle_Order();
            return true;
        }
    }
    return ScreenWindow::eventFilter(watched, event);
}

void frmShopping::hideEvent(QHideEvent* event) {
    if (imgVMB->isVisible()) Show_Tip(QString());
    ScreenWindow::hideEvent(event);
}

// --- the buttons -----------------------------------------------------------------------------

bool frmShopping::bItems_Ordered() {
    bool found = false;
    if (!guarded("bItems_Ordered", [&] {
            Recordset rs = Data1->recordset();
            if (rs.isNull() || Data1->RecordCount() == 0) return;
            // The grid stays on the row the user stands on.
            const QByteArray mark = Data1->currentRow() >= 0 ? rs.Bookmark() : QByteArray();
            rs.FindFirst(kOrderTicked);
            found = !rs.NoMatch();
            if (!mark.isEmpty()) rs.setBookmark(mark);
        }))
        return false;
    if (found) return true;
    ctx().messages().beep();
    ctx().messages().show(Data1->RecordCount() == 0 ? QStringLiteral("There are no items in your shopping list")
                                                    : QStringLiteral("Please select the items you wish to order"),
                          mb::OKOnly | mb::Exclamation);
    return false;
}

void frmShopping::imgDirectory_Click() {
    if (bItems_Ordered()) Go_To_Screen(screen::ShopDirectory);
}

void frmShopping::imgPrint_Click() {
    if (!bItems_Ordered()) return;
    guarded("imgPrint_Click", [&] {
        Recordset rs = dbCatalogue().OpenRecordset(m_sqlPrint, dbOpenDynaset);
        const bool rows = rs.RecordCount() > 0;
        if (rows) {
            const CCollection* list = RCollections().item(collectionKey(1));
            if (!list) raiseError(err::ObjectNotSet);
            List_PrintOrdered(rs, *list);
        }
        rs.Close();
        if (!rows) {
            ctx().messages().beep();
            ctx().messages().show(QStringLiteral("Please select the items to print"), mb::OKOnly | mb::Exclamation);
        }
    });
}

namespace {

// Shows the user details dialog on the tab given; true when the user left it with OK.
bool askUserDetails(frmPropUser* dialog, int tab) {
    if (!dialog) return false;
    dialog->Accepted = false;
    if (tab >= 0) dialog->SSTab1->setCurrentIndex(tab);
    if (IDialogRunner* runner = ctx().services.dialogs.get()) runner->exec(*dialog);
    return dialog->Accepted;
}

} // namespace

void frmShopping::imgUser_Click() {
    askUserDetails(frmPropUser::instance(), -1);
}

bool frmShopping::bPrint_CheckData() {
    frmPropUser* dialog = frmPropUser::instance();
    if (!dialog) return false;
    const auto blank = [](const QString& s) { return s.trimmed().isEmpty(); };
    // Says what is missing and opens the dialog on its tab until the details are there;
    // false when the user cancels.
    const auto askUntil = [&](auto complete, const QString& message, int tab) {
        while (!complete(dialog->details())) {
            ctx().messages().show(message, mb::OKOnly | mb::Exclamation);
            if (!askUserDetails(dialog, tab)) return false;
        }
        return true;
    };
    if (!askUntil([&](const UserDetails& d) { return !blank(d.Name) && !blank(d.Address); },
                  QStringLiteral("Please enter your name and Address"), 0))
        return false;
    // A card payment needs every part of the card: a letter without the number or the
    // expiry date cannot be charged.
    return !chkCardPay->isChecked() ||
           askUntil([&](const UserDetails& d) {
               return !blank(d.CardName) && !blank(d.CardType) && !blank(d.CardNumber) && !blank(d.Expires);
           }, QStringLiteral("Please enter your card details"), 1);
}

void frmShopping::imgSend_Click() {
    if (m_mode != screen::FaxOrder && m_mode != screen::EmailOrder) return;
    if (!bPrint_CheckData()) return;
    Recordset rs = Data1->recordset();
    if (rs.isNull()) return;
    if (m_mode == screen::FaxOrder)
        Order_Print(rs, m_shop, chkCardPay->isChecked(), chkContact->isChecked());
    else
        Order_Send_Data(rs, m_shop, chkCardPay->isChecked(), chkContact->isChecked());
    // The letter moved through the rows: the grid follows to where it stopped.
    Data1->recordMoved();
}

} // namespace kv
