#pragma once

// What a screen reader finds in a window: every control a person can press or type into
// must have a name, and everything that acts on a click must be a control it can press.

#include <QStringList>
#include <gtest/gtest.h>

class QWidget;

namespace kv::test {

// Walks the widgets under `root` (root included) through their accessibility interfaces
// and returns one line per fault: "<path> (<class>): <what is wrong>". Checked are the
// controls shown, and those on hidden pages of a tab or stacked widget; controls the
// program has hidden are left out (a screen shows them in another mode, check that too).
// The inner parts of compound controls (a table's cells and header, a text box's scroll
// bars, a combo box's list) are named by their owner and are not checked one by one.
QStringList accessibilityFaults(QWidget* root);

// For EXPECT_TRUE: success, or the faults with how many controls were checked. Fails
// too when nothing could be checked, so an empty window does not pass unseen.
::testing::AssertionResult isAccessible(QWidget* root);

// The name a screen reader speaks for the control.
QString accessibleNameOf(QWidget* control);

// Presses a control through its accessibility interface, as a screen reader does, and
// waits for the click that follows from the event loop. Fails when the control offers no
// press action.
::testing::AssertionResult pressAsScreenReader(QWidget* control);

} // namespace kv::test
