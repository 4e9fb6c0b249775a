// The system parameters that page scripts may read and change, one line each, as the
// SystemParametersInfo reference documents them
// (https://learn.microsoft.com/windows/win32/api/winuser/nf-winuser-systemparametersinfoa).
// A script names an entry by its SET action without "SPI_SET" (DOCKMOVING), or a structure's one
// field or flag by the structure's actions and that member (STICKYKEYS.SKF_HOTKEYACTIVE).
// The includer defines the macros; each names how the value travels:
//   LV_SPI_UI(NAME, TYPE, MIN, MAX)   SPI_GETNAME fills a 32-bit variable; SPI_SETNAME takes the
//                                     value in uiParam.
//   LV_SPI_PV(NAME, TYPE, MIN, MAX)   SPI_GETNAME fills a 32-bit variable; SPI_SETNAME takes the
//                                     value as pvParam itself.
//   LV_SPI_UI_READ_BY(NAME, TYPE, MIN, MAX, GETTER)   no GET action: GETTER() gives the value;
//                                     SPI_SETNAME takes it in uiParam.
//   LV_SPI_FLAG(ACTIONS, STRUCT, FLAG)   bit FLAG of dwFlags of STRUCT, read with SPI_GETACTIONS,
//                                     changed alone and written back with SPI_SETACTIONS.
//   LV_SPI_FIELD(ACTIONS, STRUCT, FIELD)  the field FIELD of STRUCT, nonzero for on, the same way.
//   LV_SPI_ITEM(ACTIONS, COUNT, INDEX, ITEM, MIN, MAX)  the integer INDEX of the COUNT integers that
//                                     SPI_GETACTIONS fills, named ITEM, changed alone and written back
//                                     whole with SPI_SETACTIONS.
// TYPE is Bool or Int; bounds are the documented ones, NoLimit where the reference gives none.
// Left out: MOUSECLICKLOCKTIME, whose reference says pvParam points to a DWORD while the
// platform's other implementations read uiParam or pvParam's own value, so no one form can be
// trusted; MOUSEWHEELROUTING, whose SET the reference describes as its GET (pvParam points to a
// DWORD "that receives" the option), so its form cannot be trusted either; CARETBROWSING, which
// the reference does not know.

// Windows parameters
LV_SPI_PV(ACTIVEWINDOWTRACKING, Bool, 0, 1)
LV_SPI_PV(ACTIVEWNDTRKZORDER, Bool, 0, 1)
LV_SPI_PV(ACTIVEWNDTRKTIMEOUT, Int, 0, NoLimit)
LV_SPI_PV(CARETWIDTH, Int, 1, NoLimit)
LV_SPI_PV(DOCKMOVING, Bool, 0, 1)
LV_SPI_PV(DRAGFROMMAXIMIZE, Bool, 0, 1)
LV_SPI_UI(DRAGFULLWINDOWS, Bool, 0, 1)
LV_SPI_PV(FOREGROUNDFLASHCOUNT, Int, 0, NoLimit)
LV_SPI_PV(FOREGROUNDLOCKTIMEOUT, Int, 0, NoLimit)
LV_SPI_PV(SNAPSIZING, Bool, 0, 1)
LV_SPI_PV(WINARRANGING, Bool, 0, 1)
LV_SPI_FIELD(ANIMATION, ANIMATIONINFO, iMinAnimate)

// Accessibility parameters
LV_SPI_PV(CLIENTAREAANIMATION, Bool, 0, 1)
LV_SPI_PV(FOCUSBORDERHEIGHT, Int, 0, NoLimit)
LV_SPI_PV(FOCUSBORDERWIDTH, Int, 0, NoLimit)
LV_SPI_PV(MESSAGEDURATION, Int, 0, NoLimit)
LV_SPI_PV(MOUSECLICKLOCK, Bool, 0, 1)
LV_SPI_PV(MOUSESONAR, Bool, 0, 1)
LV_SPI_PV(MOUSEVANISH, Bool, 0, 1)
LV_SPI_FLAG(STICKYKEYS, STICKYKEYS, SKF_HOTKEYACTIVE)
LV_SPI_FLAG(FILTERKEYS, FILTERKEYS, FKF_HOTKEYACTIVE)
LV_SPI_FLAG(TOGGLEKEYS, TOGGLEKEYS, TKF_HOTKEYACTIVE)
LV_SPI_FLAG(MOUSEKEYS, MOUSEKEYS, MKF_HOTKEYACTIVE)
LV_SPI_FLAG(HIGHCONTRAST, HIGHCONTRASTW, HCF_HOTKEYACTIVE)

// Desktop and icon parameters
LV_SPI_PV(DROPSHADOW, Bool, 0, 1)
LV_SPI_UI(FONTSMOOTHING, Bool, 0, 1)
LV_SPI_PV(FONTSMOOTHINGCONTRAST, Int, 1000, 2200)
LV_SPI_PV(FONTSMOOTHINGTYPE, Int, FontSmoothingStandard, FontSmoothingClearType)
LV_SPI_UI(ICONTITLEWRAP, Bool, 0, 1)

// Input parameters
LV_SPI_UI_READ_BY(DOUBLECLICKTIME, Int, 1, 5000, GetDoubleClickTime)
LV_SPI_PV(KEYBOARDCUES, Bool, 0, 1)
LV_SPI_UI(KEYBOARDDELAY, Int, 0, 3)
LV_SPI_UI(KEYBOARDPREF, Bool, 0, 1)
LV_SPI_UI(KEYBOARDSPEED, Int, 0, 31)
LV_SPI_UI(MOUSEHOVERHEIGHT, Int, 0, NoLimit)
LV_SPI_UI(MOUSEHOVERTIME, Int, UserTimerMinimum, UserTimerMaximum)
LV_SPI_UI(MOUSEHOVERWIDTH, Int, 0, NoLimit)
LV_SPI_ITEM(MOUSE, 3, 2, ACCELERATION, 0, 2)
LV_SPI_PV(MOUSESPEED, Int, 1, 20)
LV_SPI_UI(MOUSETRAILS, Int, 0, NoLimit)
LV_SPI_UI(SNAPTODEFBUTTON, Bool, 0, 1)
LV_SPI_UI(WHEELSCROLLCHARS, Int, 0, NoLimit)
LV_SPI_UI(WHEELSCROLLLINES, Int, 0, NoLimit)

// Menu parameters
LV_SPI_PV(MENUFADE, Bool, 0, 1)
LV_SPI_UI(MENUSHOWDELAY, Int, 0, NoLimit)

// Screen saver parameters
LV_SPI_UI(SCREENSAVEACTIVE, Bool, 0, 1)
LV_SPI_UI(SCREENSAVESECURE, Bool, 0, 1)
LV_SPI_UI(SCREENSAVETIMEOUT, Int, 0, NoLimit)

// Time-out parameters
LV_SPI_UI(HUNGAPPTIMEOUT, Int, 0, NoLimit)
LV_SPI_UI(WAITTOKILLTIMEOUT, Int, 0, NoLimit)
LV_SPI_UI(WAITTOKILLSERVICETIMEOUT, Int, 0, NoLimit)

// UI effects
LV_SPI_PV(COMBOBOXANIMATION, Bool, 0, 1)
LV_SPI_PV(CURSORSHADOW, Bool, 0, 1)
LV_SPI_PV(GRADIENTCAPTIONS, Bool, 0, 1)
LV_SPI_PV(HOTTRACKING, Bool, 0, 1)
LV_SPI_PV(LISTBOXSMOOTHSCROLLING, Bool, 0, 1)
LV_SPI_PV(MENUANIMATION, Bool, 0, 1)
LV_SPI_PV(SELECTIONFADE, Bool, 0, 1)
LV_SPI_PV(TOOLTIPANIMATION, Bool, 0, 1)
LV_SPI_PV(TOOLTIPFADE, Bool, 0, 1)
LV_SPI_PV(UIEFFECTS, Bool, 0, 1)
