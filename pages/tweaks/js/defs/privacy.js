// Tweak definitions: privacy, suggestions and app permissions. Plain data read by the engine and the page.
var TweakDefinitions = TweakDefinitions || [];
(function (defs) {
    var privacyPage = "https://learn.microsoft.com/en-us/windows/privacy/manage-connections-from-windows-operating-system-components-to-microsoft-services";
    var cloudContent = "SOFTWARE\\Policies\\Microsoft\\Windows\\CloudContent";
    var appPrivacy = "SOFTWARE\\Policies\\Microsoft\\Windows\\AppPrivacy";
    var win10 = { from: 10240, why: "Needs Windows 10 or later." };
    var win1607 = { from: 14393, why: "Needs Windows 10 version 1607 or later." };
    var machine = " A policy for the whole computer: changing it needs administrator rights.";
    var enterprise = " Windows acts on this policy only in its Enterprise and Education editions.";
    var editions = " Windows acts on this policy only in its Pro, Enterprise and Education editions.";
    // A policy that turns a feature off with 1; a fresh Windows has no such value, and the feature is on.
    function offPolicy(id, root, key, value, windows, source, title, description) {
        return {
            id: id, category: "privacy", kind: "toggle", takesEffect: root === "HKLM" ? "restart" : "signout",
            windows: windows, title: title, description: description, source: source,
            root: root, key: key, value: value, type: "dword", makeKey: true, on: 0, off: 1, dflt: 0, dfltAbsent: true
        };
    }
    function withFields(def, fields) {
        var name;
        for (name in fields)
            def[name] = fields[name];
        return def;
    }
    // "Let Windows apps access ...": the user decides unless the policy allows or denies it for every app.
    function appAccess(id, value, title, what) {
        return {
            id: id, category: "privacy", kind: "choice", takesEffect: "restart", windows: win1607,
            title: title, description: "Whether apps may " + what + "." + machine, source: privacyPage,
            root: "HKLM", key: appPrivacy, value: value, type: "dword", makeKey: true, dflt: 0, dfltAbsent: true,
            choices: [
                { value: 0, label: "Each user decides per app" },
                { value: 1, label: "Always allowed" },
                { value: 2, label: "Always denied" }
            ]
        };
    }
    defs.push(
        offPolicy("start-suggestions", "HKLM", cloudContent, "DisableWindowsConsumerFeatures", win1607, privacyPage,
            "Microsoft consumer experiences",
            "Suggested apps in Start, membership notifications and apps that Windows installs by itself after setup." +
            enterprise + machine),
        offPolicy("windows-tips", "HKLM", cloudContent, "DisableSoftLanding", win1607, privacyPage,
            "Windows tips", "Hints about Windows features that Windows shows while you use it." + enterprise + machine),
        offPolicy("lock-screen-spotlight", "HKCU", cloudContent, "DisableWindowsSpotlightFeatures", win1607, privacyPage,
            "Windows spotlight",
            "Daily pictures from Microsoft on the lock screen, with suggestions, tips and other spotlight content." +
            enterprise + " Only administrators can change policies, also this one for your own account."),
        offPolicy("advertising-id", "HKLM", "SOFTWARE\\Policies\\Microsoft\\Windows\\AdvertisingInfo", "DisabledByGroupPolicy",
            win10, privacyPage, "Let apps use the advertising ID",
            "Gives every app the same number for you, so that advertisers can follow you from app to app. Turned off here, the advertising ID is off for every user and cannot be turned on in Settings. Left at the Windows default, each user chooses in Settings, where the ID starts on or off as chosen during setup." +
            machine),
        {
            id: "websites-language-list", category: "privacy", kind: "toggle", takesEffect: "signout", windows: win10,
            title: "Let websites use my language list",
            description: "Lets websites see the languages you have set in Windows, to offer local content.",
            source: privacyPage,
            root: "HKCU", key: "Control Panel\\International\\User Profile", value: "HttpAcceptLanguageOptOut",
            type: "dword", makeKey: true, on: 0, off: 1, dflt: 0, dfltAbsent: true
        },
        offPolicy("lock-screen", "HKLM", "SOFTWARE\\Policies\\Microsoft\\Windows\\Personalization", "NoLockScreen", win1607,
            privacyPage, "Show the lock screen",
            "The picture with the clock that comes before the sign-in screen. Turned off, Windows goes straight to signing in." +
            enterprise + machine),
        offPolicy("onedrive-storage", "HKLM", "SOFTWARE\\Policies\\Microsoft\\Windows\\OneDrive", "DisableFileSyncNGSC", win10,
            privacyPage, "Use OneDrive for file storage",
            "Lets OneDrive store and sync files. Turned off, OneDrive cannot be used to keep files." + machine),
        {
            id: "continue-experiences", category: "privacy", kind: "toggle", takesEffect: "restart", windows: win10,
            title: "Continue experiences on this device",
            description: "Lets apps on your other devices open apps and continue what you were doing on this one." + machine,
            source: privacyPage,
            root: "HKLM", key: "SOFTWARE\\Policies\\Microsoft\\Windows\\System", value: "EnableCdp", type: "dword",
            makeKey: true, on: 1, off: 0, dflt: 1, dfltAbsent: true
        },
        withFields(offPolicy("recall-snapshots", "HKLM", "SOFTWARE\\Policies\\Microsoft\\Windows\\WindowsAI",
            "DisableAIDataAnalysis", { from: "26100.3915",
                why: "Needs Windows 11 version 24H2 with update KB5055627 (build 26100.3915) or later." },
            "https://learn.microsoft.com/en-us/windows/client-management/mdm/policy-csp-windowsai#disableaidataanalysis",
            "Save snapshots for Recall",
            "Lets each user choose in Settings whether Recall saves pictures of the screen, to search later for what they have seen on this computer. Turned off, no snapshots are saved. Left at the Windows default, each user chooses, except on a computer that an organisation manages, where none are saved." +
            editions + machine),
            { caution: "Turned off, the snapshots saved so far are deleted, and cannot be brought back." }),
        appAccess("app-camera", "LetAppsAccessCamera", "Apps' access to the camera", "use the camera"),
        appAccess("app-microphone", "LetAppsAccessMicrophone", "Apps' access to the microphone", "use the microphone"),
        appAccess("app-location", "LetAppsAccessLocation", "Apps' access to the location", "use this device's location"),
        appAccess("app-notifications", "LetAppsAccessNotifications", "Apps' access to notifications",
            "read your notifications"),
        appAccess("app-call-history", "LetAppsAccessCallHistory", "Apps' access to the call history", "read your call history"),
        appAccess("app-email", "LetAppsAccessEmail", "Apps' access to email", "read and send your email"),
        appAccess("app-messaging", "LetAppsAccessMessaging", "Apps' access to messages", "read or send text messages"),
        appAccess("app-phone-calls", "LetAppsAccessPhone", "Apps' access to phone calls", "make phone calls"),
        appAccess("app-radios", "LetAppsAccessRadios", "Apps' control of radios", "turn radios such as Bluetooth on or off"),
        appAccess("app-unpaired-devices", "LetAppsSyncWithDevices", "Apps' access to unpaired devices",
            "share and sync information with wireless devices that are not paired with this computer"),
        appAccess("app-trusted-devices", "LetAppsAccessTrustedDevices", "Apps' access to trusted devices",
            "use devices that are already connected to or built into this computer")
    );
}(TweakDefinitions));
