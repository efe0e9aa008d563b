#pragma once

#include <QPixmap>
#include <QString>
#include <QtGlobal>
#include <array>

namespace kv {

class frmpropCollection;

// One collection of the collection list (owned by NRCollections).
class CCollection {
public:
    QString strTitle;
    // The collection's element in the search screen's got-it menu.
    int intIconIndex = 0;
    bool bBuiltin = false;
    // "R" followed by the collection number.
    QString CollectionID;
    qint16 intCollectionID = 0;
    // May be null (no icon).
    QPixmap Collection_icon;

    // Opens the collection property dialog and stores what the user confirmed. False when
    // the user cancelled or the row could not be written; the object changes only after
    // the row was written.
    bool Item_Edit();

    // The user-defined item fields, i = 1 to 5 (others raise 9).
    bool UDFvisible(int i) const;
    void setUDFvisible(int i, bool visible);
    QString UDFTitle(int i) const;
    void setUDFTitle(int i, const QString& title);
    // Whether any user field is enabled.
    bool anyUDFvisible() const;

private:
    bool bRead_Data(frmpropCollection& dialog);
    bool bWrite_Back(frmpropCollection& dialog);

    std::array<bool, 5> m_visible{};
    std::array<QString, 5> m_titles;
};

} // namespace kv
