// Tweak definitions: privacy and suggestions. Plain data read by the engine and the page.
var TweakDefinitions = TweakDefinitions || [];
(function (defs) {
    var delivery = "Software\\Microsoft\\Windows\\CurrentVersion\\ContentDeliveryManager";
    function suggestion(id, value, title, description) {
        return {
            id: id, category: "privacy", kind: "toggle", takesEffect: "now",
            title: title, description: description,
            root: "HKCU", key: delivery, value: value, type: "dword", on: 1, off: 0, dflt: 1
        };
    }
    defs.push(
        suggestion("start-suggestions", "SystemPaneSuggestionsEnabled", "Show suggestions in Start",
            "Lets Start show apps from the Microsoft Store that you have not installed."),
        suggestion("windows-tips", "SoftLandingEnabled", "Get tips and suggestions when you use Windows",
            "Shows hints about Windows features, some of them advertising Microsoft services."),
        suggestion("silent-apps", "SilentInstalledAppsEnabled", "Install suggested apps automatically",
            "Lets Windows download suggested apps from the Microsoft Store by itself and pin them to Start."),
        suggestion("lock-screen-spotlight", "RotatingLockScreenEnabled", "Windows spotlight on the lock screen",
            "Shows a new picture from Microsoft on the lock screen every day instead of one of your own."),
        suggestion("lock-screen-facts", "RotatingLockScreenOverlayEnabled", "Fun facts and tips on the lock screen",
            "Puts texts from Microsoft, some of them advertising, over the lock screen picture."),
        {
            id: "advertising-id", category: "privacy", kind: "toggle", takesEffect: "now",
            title: "Let apps use your advertising ID",
            description: "Gives every app the same number for you, so that advertisers can follow you from app to app. Turning it off gives you a new number.",
            root: "HKCU", key: "Software\\Microsoft\\Windows\\CurrentVersion\\AdvertisingInfo", value: "Enabled",
            type: "dword", on: 1, off: 0, dflt: 1
        }
    );
}(TweakDefinitions));
