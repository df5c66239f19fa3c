#pragma once
// How the running windows reach each other: the address-book main window
// opens the record window on a row, on empty input, and opens the two
// searches; a search opens the record window on a listing; the record window
// steps through and reports to the main window through its link.

class TAddressList;
class TDataInquiry;
class TListingSearchBase;
class TNameAdrsSearch;
class TCategorySearch;

// Makes the main window the record window's address list and connects its
// requests (open a row, new record, the searches) to the functions below.
void WireMainWindow(TAddressList& window);

// The record window on the record of the main window's row, in inquiry from
// the address list. Unsaved input in the record window is offered for saving
// first; false when the user cancelled or the row could not be read.
bool OpenRecordFromList(int index);

// The record window on a search result, for registration. sourceMode is the
// record window's (name search or category search).
bool OpenListingFromSearch(TListingSearchBase& search, int sourceMode, int index);

// The record window on empty input for a new record.
TDataInquiry* OpenNewRecord();

// The item-name dialogs on the main window. After OK the main window
// relabels its keyword columns (names changed) and ItemNameSignals() tells
// the other windows what changed. False when the user cancelled.
bool EditKeywordItems(TAddressList& window);
bool EditProtectMemoItems(TAddressList& window);

// The sender window on the main window, as a designer's edit-sender action
// opens it (the main window's menu is its way in until the designers
// exist); the main window reloads its sender list afterwards. Answers the
// RecNo of the sender chosen with "選択", 0 when the window was closed.
int EditSenders(TAddressList& window);

// The settings window on the main window. After OK the main window repaints
// its list and the open record window shows the common My Number, the map
// and route hints and the masking anew. False when the user cancelled.
bool EditSettings(TAddressList& window);

// The single instance of each search window, made on first use, brought
// forward afterwards; it goes when it is closed.
TNameAdrsSearch* ShowNameAdrsSearch();
TCategorySearch* ShowCategorySearch();
