#pragma once

#include "app/ScreenWindow.h"

namespace kv {

// The search screen (search mode 2 and details mode 3). It keeps the search type as the
// property "SearchType": -1 until the first visit.
class frmSearch : public ScreenWindow {
    Q_OBJECT
    Q_PROPERTY(int SearchType READ SearchType WRITE setSearchType)
public:
    frmSearch();
    int SearchType() const { return m_searchType; }
    void setSearchType(int type) { m_searchType = type; }

private:
    int m_searchType = -1;
};

} // namespace kv
