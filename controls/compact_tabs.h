#pragma once
// Tabs with half the style's side padding, for a tab row that must show many
// captions at once (a preset with every analog effect).
class QTabBar;

void UseCompactTabs(QTabBar& bar);
