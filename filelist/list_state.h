#pragma once

#include <QString>

class CReportCtrl;

// The main window's placement entry in the profile's "Position" section.
inline const QString kMainPlacementEntry = QStringLiteral("{08498238-9FCE-4F3C-861C-BE77C5E25FD5}");

// The file list's layout in the per-user profile, section "FileList": read once while the window
// initialises, written once when it closes.

// Inserts the eight columns with the stored widths (defaults where the stored value has no entry) and
// hides the columns stored as hidden.
void LoadColumnLayout(CReportCtrl& list);
// Fills the list's sortInfo from the stored keys; Name ascending when none is stored.
void LoadSortKeys(CReportCtrl& list);
// Writes every column's visibility and width (the remembered one when hidden), then the sort keys.
void SaveListState(const CReportCtrl& list);
