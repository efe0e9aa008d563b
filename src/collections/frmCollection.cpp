// The collection screen: its record source in each mode, the user's filter conditions and
// sort keys, and the buttons that serve both modes. Building the controls, their layout,
// each mode's own actions and the details panel are in the frmCollection*.cpp beside it.
#include "collections/frmCollection.h"

#include "app/Navigation.h"
#include "catalogue/Catalogue.h"
#include "collections/CollectionStore.h"
#include "collections/DataControl.h"
#include "collections/DataGrid.h"
#include "collections/ListSearch.h"
#include "core/ErrorReport.h"
#include "db/Connection.h"
#include "platform/AppContext.h"
#include "platform/FormNames.h"

#include <QAction>
#include <QHeaderView>
#include <QListWidget>

namespace kv {

namespace {

QStringList nonEmpty(const QStringList& entries) {
    QStringList kept;
    for (const QString& e : entries)
        if (!e.isEmpty()) kept << e;
    return kept;
}

// The field a condition or sort key is about: its first bracketed name.
QString clauseField(const QString& clause) {
    const qsizetype open = clause.indexOf(u'[');
    const qsizetype close = open < 0 ? -1 : clause.indexOf(u']', open + 1);
    return close < 0 ? clause.trimmed() : clause.mid(open + 1, close - open - 1);
}

// Takes out the clause on the same field as `clause`; false for an empty clause, which
// clears them all.
bool dropSameField(QStringList& clauses, const QString& clause) {
    if (clause.isEmpty()) {
        clauses.clear();
        return false;
    }
    const QString field = clauseField(clause);
    clauses.removeIf([&](const QString& c) { return clauseField(c).compare(field, Qt::CaseInsensitive) == 0; });
    return true;
}

// A new condition narrows what is shown; one on a field that already has one replaces it.
void addCondition(QStringList& conditions, const QString& clause) {
    if (dropSameField(conditions, clause)) conditions << clause;
}

// A new sort key comes first; the earlier keys, other than one on the same field, follow.
void addSortKey(QStringList& keys, const QString& clause) {
    if (dropSameField(keys, clause)) keys.prepend(clause);
}

} // namespace

IListSearch* listSearch() {
    return dynamic_cast<IListSearch*>(ctx().forms.load(form::FindFilterSort));
}

qint64 frmCollection::databaseStamp() {
    const Database& db = dbCatalogue();
    return db.isNull() ? -1 : db.connection()->changeStamp();
}

frmCollection::frmCollection() : ScreenWindow(form::Collection) {
    m_collSelect = QStringLiteral("SELECT DISTINCTROW [Collection - Contents].*, [Title]+") + QLatin1Char('"') +
                   QStringLiteral("  (") + QLatin1Char('"') + QStringLiteral("+[Artist]+") + QLatin1Char('"') +
                   QStringLiteral(")") + QLatin1Char('"') + QStringLiteral(" AS Both");
    m_collFrom = QStringLiteral(" From [Collection - Contents]");
    m_collFilters = {QString(), QString()};
    m_collSorts = {QString(), QStringLiteral("[Collection - Contents].Title"),
                   QStringLiteral("[Collection - Contents].Artist ")};
    m_connSelect = QStringLiteral("SELECT DISTINCTROW [Connections].*");
    m_connFrom = QStringLiteral(" From [Connections]");
    m_connFilters = {QString()};
    m_connSorts = {QStringLiteral("[Connections].[Connection Name]")};

    createControls();
    warnOfSmallScreen();
    fillCollectionList();
    registerCollectionList(CollectionList::Screen, lstCollection);
    collectionStore().screenCollectionChanged = [this](qint16 id) { collectionChanged(id); };
    if (lstCollection->count() > 0) selectCollectionRow(0);
    showModeControls();
    arrange();
}

frmCollection::~frmCollection() {
    CollectionStoreState& s = collectionStore();
    if (s.screenList == lstCollection) registerCollectionList(CollectionList::Screen, nullptr);
    s.screenCollectionChanged = nullptr;
}

void frmCollection::Form_Mode(int mode) {
    BusyScope busy;
    const bool changed = mode != m_mode;
    if (changed) {
        m_mode = mode;
        ScreenWindow::Form_Mode(mode);
        showModeControls();
        arrange();
    }
    ctx().intCurrentScreen = mode;
    if (changed)
        Set_DataSource();
    else if (m_readStamp != databaseStamp())
        reread();
}

void frmCollection::Show_me() {
    ScreenWindow::Show_me();
    // Items added on the search screen, or anything changed elsewhere, show on arrival.
    if (m_mode != 0 && m_readStamp != databaseStamp()) reread();
    if (!isAncestorOf(focusWidget())) TDBGrid1->setFocus();
}

// --- the record source -----------------------------------------------------------------------

bool frmCollection::Set_DataSource() {
    return m_mode == screen::Connections ? Set_DataSource_Conn() : Set_DataSource_Coll();
}

bool frmCollection::Set_DataSource_Coll() {
    return guarded("Set_DataSource_Coll", [&] {
        m_collFilters[0] = QStringLiteral("([Collection ID]=") + QString::number(m_collectionID) + QStringLiteral(")");
        m_collFilters[1] = m_collConditions.join(QStringLiteral(" AND "));
        m_collSorts[0] = m_collKeys.join(QStringLiteral(" , "));
        const QString where =
            QStringLiteral(" WHERE (") + nonEmpty(m_collFilters).join(QStringLiteral(" AND ")) + QStringLiteral(")");
        const QString order = QStringLiteral(" ORDER BY ") + nonEmpty(m_collSorts).join(QStringLiteral(" , "));
        Init_Grid_Collection();
        Data1->setRecordSource(m_collSelect + m_collFrom + where + order + QStringLiteral(";"));
        m_readStamp = databaseStamp();
        Data1->Refresh(dbCatalogue());
        Init_Grid_Collection();
    });
}

// As for a collection, but a WHERE or ORDER BY part with nothing in it is left out.
bool frmCollection::Set_DataSource_Conn() {
    return guarded("Set_DataSource_Conn", [&] {
        m_connFilters[0] = m_connConditions.join(QStringLiteral(" AND "));
        m_connSorts[0] = m_connKeys.isEmpty() ? QStringLiteral("[Connections].[Connection Name]")
                                              : m_connKeys.join(QStringLiteral(" , "));
        const QStringList filters = nonEmpty(m_connFilters);
        const QStringList sorts = nonEmpty(m_connSorts);
        QString statement = m_connSelect + m_connFrom;
        if (!filters.isEmpty())
            statement += QStringLiteral(" WHERE (") + filters.join(QStringLiteral(" AND ")) + QStringLiteral(")");
        if (!sorts.isEmpty()) statement += QStringLiteral(" ORDER BY ") + sorts.join(QStringLiteral(" , "));
        Init_Grid_Connection();
        Data1->setRecordSource(statement + QStringLiteral(";"));
        m_readStamp = databaseStamp();
        Data1->Refresh(dbCatalogue());
        Init_Grid_Connection();
    });
}

// Column 0 shows "Both" (the title alone where the artist is missing); column 1, hidden,
// holds the catalogue number that names the item.
void frmCollection::Init_Grid_Collection() {
    Data1->setColumns({{QStringLiteral("Both"), QStringLiteral("Title")}, {QStringLiteral("Catalogue Number"), QString()}});
    TDBGrid1->setColumnHidden(1, true);
    TDBGrid1->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
}

void frmCollection::Init_Grid_Connection() {
    Data1->setColumns({{QStringLiteral("Connection Name"), QString()}, {QStringLiteral("Connection ID"), QString()}});
    TDBGrid1->setColumnHidden(1, true);
    TDBGrid1->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
}

void frmCollection::reread() {
    guarded("Set_DataSource", [&] {
        m_readStamp = databaseStamp();
        if (Data1->recordset().isNull()) return Set_DataSource();
        Data1->Requery();
        return true;
    });
}

// --- the user's conditions and keys ----------------------------------------------------------

QString frmCollection::WhereClause() const {
    return (m_mode == screen::Connections ? m_connConditions : m_collConditions).join(QStringLiteral(" AND "));
}

void frmCollection::setWhereClause(const QString& clause) {
    QStringList& conditions = m_mode == screen::Connections ? m_connConditions : m_collConditions;
    const QStringList before = conditions;
    addCondition(conditions, clause);
    // A condition the database cannot use is reported and dropped; the list stays as it was.
    if (!Set_DataSource()) {
        conditions = before;
        Set_DataSource();
    }
}

QString frmCollection::OrderbyClause() const {
    return (m_mode == screen::Connections ? m_connKeys : m_collKeys).join(QStringLiteral(" , "));
}

void frmCollection::setOrderbyClause(const QString& clause) {
    QStringList& keys = m_mode == screen::Connections ? m_connKeys : m_collKeys;
    const QStringList before = keys;
    addSortKey(keys, clause);
    if (!Set_DataSource()) {
        keys = before;
        Set_DataSource();
    }
}

// --- the buttons of both modes ---------------------------------------------------------------

void frmCollection::imgEdit_Click() {
    if (m_mode == screen::Connections)
        editConnection();
    else
        editItem();
}

void frmCollection::imgRemove_Click() {
    if (m_mode == screen::Connections)
        removeConnection();
    else
        removeItem();
}

IListSearch* frmCollection::listSearchFor() {
    lstCollection->hide();
    IListSearch* dialog = listSearch();
    if (!dialog) return nullptr;
    dialog->ExcludeFields(m_mode == screen::Connections ? QList<int>() : m_excluded);
    dialog->RenameFields(renamedForDialog(), renamedNamesForDialog());
    return dialog;
}

QList<int> frmCollection::renamedForDialog() const {
    return m_mode == screen::Connections ? QList<int>() : m_renamed;
}

QStringList frmCollection::renamedNamesForDialog() const {
    return m_mode == screen::Connections ? QStringList() : m_renamedNames;
}

void frmCollection::imgFilter_Click() {
    if (IListSearch* dialog = listSearchFor())
        dialog->Filter_Records(Data1, TDBGrid1, renamedForDialog(), renamedNamesForDialog(), WhereClause());
}

void frmCollection::imgSort_Click() {
    if (IListSearch* dialog = listSearchFor())
        dialog->Sort_Records(Data1, TDBGrid1, renamedForDialog(), renamedNamesForDialog(), OrderbyClause());
}

void frmCollection::imgSearch_Click() {
    if (IListSearch* dialog = listSearchFor()) dialog->Find_Record(Data1, TDBGrid1);
}

void frmCollection::prepareGridMenu() {
    const bool row = hasRow();
    mnuPop2Prop->setEnabled(row);
    mnuPop2Remove->setEnabled(row);
    mnuPop2New->setEnabled(m_mode == screen::Connections);
    mnuPop2Activate->setEnabled(row);
}

} // namespace kv
