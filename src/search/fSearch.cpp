#include "search/fSearch.h"

#include "collections/DataControl.h"
#include "core/ErrorReport.h"
#include "db/Field.h"
#include "platform/AppContext.h"
#include "platform/FormNames.h"
#include "platform/qt/DialogButtons.h"
#include "platform/qt/WindowUtil.h"
#include "search/SearchCriteria.h"
#include "settings/Help.h"
#include "settings/HelpContexts.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace kv {

namespace {

constexpr int kFind = 1;
constexpr int kFilter = 2;
constexpr int kSort = 3;

const QString kUnsupported = QStringLiteral("The search form does not support objects of this type");

} // namespace

fSearch::fSearch(QWidget* parent) : QDialog(parent) {
    setObjectName(form::FindFilterSort);
    setWindowTitle(QStringLiteral("Find in Field:"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    // The buttons stand in a column beside the entries; Clear, shown only to filter and
    // sort, takes the second place and the others move down for it.
    const DialogButtonRow buttons = dialogButtonRow(this, QStringLiteral("Find &Next"), QStringLiteral("cmdFindNext"),
                                                    QStringLiteral("cmdCancel"), Qt::Vertical);
    cmdFindNext = buttons.ok;
    cmdCancel = buttons.cancel;
    cmdHelp = buttons.help;
    cmdHelp->setText(QStringLiteral("&Help"));
    cmdClear = named(new QPushButton(QStringLiteral("&Clear"), this), QStringLiteral("cmdClear"));
    buttons.layout->insertWidget(1, cmdClear);
    cboMatch = named(new QComboBox(this), QStringLiteral("cboMatch"));
    cboMatch->addItems({QStringLiteral("Any Part of Field"), QStringLiteral("Whole Field"),
                        QStringLiteral("Start of Field")});
    cboIn = named(new QComboBox(this), QStringLiteral("cboIn"));
    cboWhat = named(new QComboBox(this), QStringLiteral("cboWhat"));
    cboWhat->setEditable(true);
    cboWhat->setInsertPolicy(QComboBox::NoInsert);
    cboWhat->lineEdit()->setMaxLength(255);
    cboDirection = named(new QComboBox(this), QStringLiteral("cboDirection"));
    frmMessage = named(new QFrame(this), QStringLiteral("frmMessage"));
    frmMessage->setFrameShape(QFrame::StyledPanel);
    lblMessage = named(new QLabel(frmMessage), QStringLiteral("lblMessage"));
    lblMessage->setAccessibleName(QStringLiteral("Result"));
    auto* messageLayout = new QVBoxLayout(frmMessage);
    messageLayout->setContentsMargins(6, 3, 6, 3);
    messageLayout->addWidget(lblMessage);
    lblMatch = named(new QLabel(QStringLiteral("&Match:"), this), QStringLiteral("lblMatch"));
    lblIn = named(new QLabel(QStringLiteral("&Find in:"), this), QStringLiteral("lblIn"));
    lblWhat = named(new QLabel(QStringLiteral("Find What :"), this), QStringLiteral("lblWhat"));
    lblDirection = named(new QLabel(QStringLiteral("&Direction:"), this), QStringLiteral("lblDirection"));
    lblMatch->setBuddy(cboMatch);
    lblIn->setBuddy(cboIn);
    lblWhat->setBuddy(cboWhat);
    lblDirection->setBuddy(cboDirection);

    // The entries in a grid of their own, held at the top: each mode hides some of them, and
    // the rows left would otherwise spread out to the height of the button column.
    auto* fields = new QGridLayout;
    fields->setColumnStretch(1, 1);
    fields->setColumnMinimumWidth(1, 200);
    fields->addWidget(lblWhat, 0, 0);
    fields->addWidget(cboWhat, 0, 1);
    fields->addWidget(lblIn, 1, 0);
    fields->addWidget(cboIn, 1, 1);
    fields->addWidget(lblMatch, 2, 0);
    fields->addWidget(cboMatch, 2, 1);
    fields->addWidget(lblDirection, 3, 0);
    fields->addWidget(cboDirection, 3, 1);
    fields->setRowStretch(4, 1);
    m_layout = new QGridLayout(this);
    m_layout->setColumnStretch(0, 1);
    m_layout->addLayout(fields, 0, 0);
    m_layout->addLayout(buttons.layout, 0, 1);
    m_layout->addWidget(frmMessage, 1, 0, 1, 2);

    connect(cmdFindNext, &QPushButton::clicked, this, [this] { cmdFindNext_Click(); });
    connect(cmdClear, &QPushButton::clicked, this, [this] { cmdClear_Click(); });
    connect(cmdCancel, &QPushButton::clicked, this, [this] { reject(); });
    connect(cmdHelp, &QPushButton::clicked, this, [this] { Show_Help_Context(m_helpContext); });
    connect(cboIn, &QComboBox::currentIndexChanged, this, [this] { fieldChanged(); });
    connect(cboMatch, &QComboBox::currentIndexChanged, this, [this] { resetFind(); });
    connect(cboWhat, &QComboBox::editTextChanged, this, [this] { resetFind(); });
    connect(cboDirection, &QComboBox::currentIndexChanged, this, [this] { directionChanged(); });
    setMode(kFind);
}

void fSearch::ExcludeFields(const QList<int>& positions) {
    m_excluded = positions;
}

void fSearch::RenameFields(const QList<int>& positions, const QStringList& names) {
    m_renamed = positions;
    m_renamedNames = names;
}

void fSearch::setMode(int mode) {
    m_mode = (mode == kFilter || mode == kSort) ? mode : kFind;
    modeSetUp();
}

bool fSearch::setUp(DataControl* data, QAbstractItemView* grid) {
    if (!data || !grid || grid->model() != data || data->recordset().isNull() ||
        !data->recordset().isOpen()) {
        ctx().messages().show(kUnsupported, mb::OKOnly | mb::Exclamation);
        return false;
    }
    m_data = data;
    m_grid = grid;
    // Owned by the grid's window while it is up, so it stays in front of it.
    QWidget* owner = grid->window();
    if (parentWidget() != owner) {
        m_previousOwner = parentWidget();
        setParent(owner, windowFlags());
    }
    return true;
}

void fSearch::hideEvent(QHideEvent* event) {
    QDialog::hideEvent(event);
    if (m_previousOwner && parentWidget() != m_previousOwner) {
        QWidget* previous = m_previousOwner;
        m_previousOwner = nullptr;
        setParent(previous, windowFlags());
    }
}

void fSearch::modeSetUp() {
    const bool find = m_mode == kFind, filter = m_mode == kFilter, sort = m_mode == kSort;
    m_helpContext = find ? help::Find : filter ? help::Filter : help::Sort;
    lblDirection->setVisible(!filter);
    cboDirection->setVisible(!filter);
    lblMatch->setVisible(!sort);
    cboMatch->setVisible(!sort);
    lblWhat->setVisible(!sort);
    cboWhat->setVisible(!sort);
    lblWhat->setText(find ? QStringLiteral("&Find What:") : QStringLiteral("&Filter What:"));
    lblIn->setText(find ? QStringLiteral("&Find in:") : filter ? QStringLiteral("&Filter in:")
                                                              : QStringLiteral("&Sort by:"));
    cmdFindNext->setText(find ? QStringLiteral("Find &Next") : filter ? QStringLiteral("&Apply Filter")
                                                                      : QStringLiteral("&Apply Sort"));
    cmdClear->setVisible(!find);

    cboWhat->clearEditText();
    {
        const QSignalBlocker quiet(cboDirection);
        cboDirection->clear();
        if (sort)
            cboDirection->addItems({QStringLiteral("Ascending"), QStringLiteral("Descending")});
        else
            cboDirection->addItems({QStringLiteral("All"), QStringLiteral("Down"), QStringLiteral("Up")});
        cboDirection->setCurrentIndex(0);
    }
    lblMessage->clear();
    directionChanged();
    // Each showing starts at the first entry, with the main button as Enter's: otherwise the
    // button pressed last (often Cancel) keeps the focus and takes the user's Enter.
    cmdFindNext->setDefault(true);
    (sort ? static_cast<QWidget*>(cboIn) : cboWhat)->setFocus();
}

void fSearch::fillFields() {
    const QSignalBlocker quiet(cboIn);
    cboIn->clear();
    if (m_data) {
        guarded("fillFields", [&] {
            const Recordset rs = m_data->recordset();
            for (int i = 0; i < rs.FieldCount(); ++i) {
                if (m_excluded.contains(i)) continue;
                const qsizetype k = m_renamed.indexOf(i);
                const QString name = k >= 0 && k < m_renamedNames.size() ? m_renamedNames[k]
                                                                         : rs.Fields(i).Name();
                cboIn->addItem(name, i);
            }
        });
    }
    if (cboIn->count() > 0) cboIn->setCurrentIndex(0);
    fieldChanged();
}

void fSearch::chooseField(const QString& name) {
    for (int k = 0; k < cboIn->count(); ++k) {
        const int position = cboIn->itemData(k).toInt();
        if (m_data && m_data->recordset().Fields(position).Name().compare(name, Qt::CaseInsensitive) == 0)
            cboIn->setCurrentIndex(k);
    }
}

int fSearch::chosenField() const {
    return cboIn->currentIndex() < 0 ? -1 : cboIn->currentData().toInt();
}

void fSearch::fieldChanged() {
    const QString prefix = m_mode == kFind ? QStringLiteral("Find in field : ")
                           : m_mode == kFilter ? QStringLiteral("Filter in field : ")
                                               : QStringLiteral("Sort by field : ");
    if (cboIn->currentIndex() >= 0) setWindowTitle(prefix + cboIn->currentText());
    resetFind();
}

void fSearch::resetFind() {
    if (!m_firstFindDone) return;
    m_firstFindDone = false;
    directionChanged();
}

void fSearch::directionChanged() {
    if (m_mode != kFind) return;
    switch (cboDirection->currentIndex()) {
    case 1: cmdFindNext->setText(QStringLiteral("Find &Next")); break;
    case 2: cmdFindNext->setText(QStringLiteral("Find &Previous")); break;
    default:
        // "All" starts again from the top.
        m_firstFindDone = false;
        cmdFindNext->setText(QStringLiteral("Find &First"));
        break;
    }
}

// The dialog stays up until Cancel; what it did shows in the grid behind it.
bool fSearch::run() {
    if (ctx().services.dialogs)
        ctx().services.dialogs->exec(*this);
    else
        exec();
    return true;
}

bool fSearch::Find_Record(DataControl* data, QAbstractItemView* grid) {
    if (!setUp(data, grid)) return false;
    setMode(kFind);
    fillFields();
    return run();
}

bool fSearch::Filter_Records(DataControl* data, QAbstractItemView* grid, const QList<int>& renamed,
                             const QStringList& names, const QString& whereClause) {
    if (!setUp(data, grid)) return false;
    setMode(kFilter);
    RenameFields(renamed, names);
    fillFields();
    m_whereClause = whereClause;
    // The newest condition fills the entries, so changing it is one step.
    const ClauseEntries e = readFilterClause(whereClause);
    if (e.ok) {
        chooseField(e.field);
        cboMatch->setCurrentIndex(e.matchMode);
        cboWhat->setEditText(e.value);
    }
    return run();
}

bool fSearch::Sort_Records(DataControl* data, QAbstractItemView* grid, const QList<int>& renamed,
                           const QStringList& names, const QString& orderbyClause) {
    if (!setUp(data, grid)) return false;
    setMode(kSort);
    RenameFields(renamed, names);
    fillFields();
    m_orderbyClause = orderbyClause;
    const ClauseEntries e = readSortClause(orderbyClause);
    if (e.ok) {
        chooseField(e.field);
        cboDirection->setCurrentIndex(e.descending ? 1 : 0);
    }
    return run();
}

void fSearch::cmdFindNext_Click() {
    switch (m_mode) {
    case kFilter: applyFilter(); break;
    case kSort: applySort(); break;
    default: find(); break;
    }
}

QObject* fSearch::owningForm(const char* property) const {
    for (QObject* o = m_grid ? m_grid->parent() : nullptr; o; o = o->parent())
        if (o->metaObject()->indexOfProperty(property) >= 0) return o;
    return nullptr;
}

void fSearch::rememberValue() {
    const QString value = cboWhat->currentText();
    if (!value.isEmpty() && cboWhat->findText(value, Qt::MatchFixedString | Qt::MatchCaseSensitive) < 0)
        cboWhat->insertItem(0, value);
    cboWhat->setEditText(value);
}

void fSearch::find() {
    if (!m_data || chosenField() < 0) return;
    guarded("cmdFindNext_Click", [&] {
        Recordset rs = m_data->recordset();
        const Field field = rs.Fields(chosenField());
        const Criterion c = buildCriterion(field.Name(), field.Type(), cboMatch->currentIndex(),
                                           cboWhat->currentText());
        if (c.problem != ValueProblem::None) {
            ctx().messages().show(valueProblemText(c.problem), mb::OKOnly | mb::Exclamation);
            return;
        }
        const int direction = cboDirection->currentIndex();
        if (direction == 0 && !m_firstFindDone)
            rs.FindFirst(c.text);
        else if (direction == 2)
            rs.FindPrevious(c.text);
        else
            rs.FindNext(c.text);
        rememberValue();
        if (rs.NoMatch()) {
            ctx().messages().beep();
            lblMessage->setText(QStringLiteral("No Matching record"));
            ctx().messages().show(QStringLiteral("No matching Record"), mb::OKOnly);
            return;
        }
        lblMessage->setText(QStringLiteral("Match Found"));
        if (direction == 0 && !m_firstFindDone) {
            cmdFindNext->setText(QStringLiteral("Find &Next"));
            m_firstFindDone = true;
        }
        // The grid follows the record set to the match.
        m_data->recordMoved();
    });
}

void fSearch::applyFilter() {
    if (!m_data || chosenField() < 0) return;
    guarded("cmdFindNext_Click", [&] {
        const Field field = m_data->recordset().Fields(chosenField());
        const Criterion c = buildCriterion(field.Name(), field.Type(), cboMatch->currentIndex(),
                                           cboWhat->currentText());
        if (c.problem != ValueProblem::None) {
            ctx().messages().show(valueProblemText(c.problem), mb::OKOnly | mb::Exclamation);
            return;
        }
        rememberValue();
        m_whereClause = filterClause(c);
        if (QObject* form = owningForm("WhereClause")) form->setProperty("WhereClause", m_whereClause);
        lblMessage->setText(QString::number(m_data->RecordCount()) + QStringLiteral(" shown"));
    });
}

void fSearch::applySort() {
    if (!m_data || chosenField() < 0) return;
    guarded("cmdFindNext_Click", [&] {
        const Field field = m_data->recordset().Fields(chosenField());
        m_orderbyClause = sortClause(field.Name(), cboDirection->currentIndex() == 1);
        if (QObject* form = owningForm("OrderbyClause"))
            form->setProperty("OrderbyClause", m_orderbyClause);
        lblMessage->setText(QStringLiteral("Sorted"));
    });
}

void fSearch::cmdClear_Click() {
    guarded("cmdClear_Click", [&] {
        if (m_mode == kFilter) {
            m_whereClause.clear();
            if (QObject* form = owningForm("WhereClause")) form->setProperty("WhereClause", QString());
            cboWhat->clearEditText();
            lblMessage->setText(QStringLiteral("Filter cleared"));
        } else if (m_mode == kSort) {
            m_orderbyClause.clear();
            if (QObject* form = owningForm("OrderbyClause"))
                form->setProperty("OrderbyClause", QString());
            lblMessage->setText(QStringLiteral("Usual order"));
        }
    });
}

} // namespace kv
