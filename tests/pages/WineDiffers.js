// What Wine 8's user32 does otherwise than Windows with the System entries that the definitions
// use, measured through lvscript's System object in a fresh prefix: it has no GET action for some
// ("Invalid SPI parameter"); it refuses the SET of the accessibility structures and reads their
// hot-key flags as off; it keeps nothing of ANIMATION's SET and reads iMinAnimate as off; and it
// takes MOUSESPEED from uiParam where the reference has pvParam, so every SET stores 0. The engine
// test and the render checks try such a setting through the registry alone and check that its
// change through the System object fails and changes nothing. (Included by engine.sh, read by
// render.mjs.)
var WineDiffers = {
    DOCKMOVING: "has no GET",
    DRAGFROMMAXIMIZE: "has no GET",
    SNAPSIZING: "has no GET",
    WINARRANGING: "has no GET",
    MESSAGEDURATION: "has no GET",
    SCREENSAVESECURE: "has no GET",
    HUNGAPPTIMEOUT: "has no GET",
    WAITTOKILLTIMEOUT: "has no GET",
    "STICKYKEYS.SKF_HOTKEYACTIVE": "refuses the SET",
    "FILTERKEYS.FKF_HOTKEYACTIVE": "refuses the SET",
    "TOGGLEKEYS.TKF_HOTKEYACTIVE": "refuses the SET",
    "MOUSEKEYS.MKF_HOTKEYACTIVE": "refuses the SET",
    "HIGHCONTRAST.HCF_HOTKEYACTIVE": "refuses the SET",
    "ANIMATION.iMinAnimate": "keeps nothing it is SET to",
    MOUSESPEED: "stores 0 for every SET"
};
