// Tweak definitions: taskbar and Start menu. Plain data read by the engine and the page.
var TweakDefinitions = TweakDefinitions || [];
(function (defs) {
    // Where the Start Menu and Taskbar policies of a user are kept, and the pages that name them.
    var shellPolicies = "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer";
    var explorerPolicies = "Software\\Policies\\Microsoft\\Windows\\Explorer";
    var taskbarPage = "https://learn.microsoft.com/en-us/windows/client-management/mdm/policy-csp-admx-taskbar";
    var startPage = "https://learn.microsoft.com/en-us/windows/client-management/mdm/policy-csp-admx-startmenu";
    var cspPages = "https://learn.microsoft.com/en-us/windows/client-management/mdm/";
    var editions = " Windows acts on this policy only in its Pro, Enterprise, Education and SE editions.";
    var documented = { from: "19041.1202",
        why: "Needs Windows 10 version 2004 with update KB5005101 (build 19041.1202) or later, or Windows 11." };
    var policyNote = " A policy for your account: only an administrator can change it, also for your own account.";
    // A policy of the user's own that is absent on a fresh Windows: 1 is the policy enabled, 0 the
    // policy disabled, which the pages describe as the same as not configured.
    function policy(id, key, value, enabledIsOn, source, anchor, title, description) {
        return {
            id: id, category: "taskbar", kind: "toggle", takesEffect: "signout", windows: documented,
            title: title, description: description + policyNote, source: source + "#" + anchor,
            root: "HKCU", key: key, value: value, type: "dword", makeKey: true,
            on: enabledIsOn ? 1 : 0, off: enabledIsOn ? 0 : 1, dflt: 0, dfltAbsent: true
        };
    }
    function withFields(def, fields) {
        var name;
        for (name in fields)
            def[name] = fields[name];
        return def;
    }
    defs.push(
        {
            id: "app-launch-tracking", category: "taskbar", kind: "toggle", takesEffect: "signout",
            windows: { from: 10240, why: "Needs Windows 10 or later." },
            title: "Let Windows track app launches",
            description: "Lets Windows count which apps you start, to improve Start and search results with the ones you use most.",
            source: "https://learn.microsoft.com/en-us/windows/privacy/manage-connections-from-windows-operating-system-components-to-microsoft-services",
            root: "HKCU", key: "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Advanced", value: "Start_TrackProgs",
            type: "dword", on: 1, off: 0, dflt: 1, dfltAbsent: true
        },
        policy("taskbar-thumbnails", shellPolicies, "TaskbarNoThumbnail", false, taskbarPage, "taskbarnothumbnail",
            "Show window thumbnails on the taskbar",
            "Shows a small picture of a program's windows when the mouse rests on its taskbar button. Turned off, the button shows a text tip instead."),
        policy("taskbar-clock", shellPolicies, "HideClock", false, startPage, "notaskbarclock",
            "Show the clock in the notification area",
            "The time at the right end of the taskbar. Turned off, the clock is not shown there."),
        withFields(policy("taskbar-grouping", shellPolicies, "NoTaskGrouping", false, startPage, "notaskgrouping",
            "Group taskbar buttons of the same program",
            "Lets the taskbar put the buttons of one program together when it runs out of room. Turned off, every window keeps a button of its own."),
            { windows: { from: "19041.1202", before: 22000,
                why: "Acts on Windows 10 from version 2004 with update KB5005101 (build 19041.1202); Windows 11 does not support this policy." } }),
        withFields(policy("lock-taskbar", shellPolicies, "LockTaskbar", true, startPage, "locktaskbar",
            "Lock the taskbar",
            "Keeps the taskbar from being moved or resized; auto-hide and the other taskbar options stay available. The toolbars on the taskbar are locked too, and cannot be shown or hidden from its menu."),
            { windows: { from: "19041.1202", before: 22000,
                why: "Acts on Windows 10 from version 2004 with update KB5005101 (build 19041.1202); the taskbar of Windows 11 cannot be moved, resized or given toolbars, so there is nothing to lock." } }),
        policy("balloon-notifications", shellPolicies, "TaskbarNoNotification", false, taskbarPage, "taskbarnonotification",
            "Show notification balloons",
            "Lets programs show their balloon messages above the notification area. Turned off, no notification balloons are shown."),
        policy("new-icon-promotion", explorerPolicies, "NoSystraySystemPromotion", false, taskbarPage, "nosystraysystempromotion",
            "Show new notification icons on the taskbar for a while",
            "Shows the icon of a program that has just added one to the notification area on the taskbar for a time. You can still choose which icons are shown in the notification settings."),
        withFields(policy("notification-center", explorerPolicies, "DisableNotificationCenter", false, taskbarPage,
            "disablenotificationcenter", "Show Notifications and Action Center",
            "The list of notifications in the notification area, where you find the ones you missed."),
            { takesEffect: "restart",
                caution: "Turned off, notifications still appear when they arrive, but one you miss cannot be looked at again." }),
        policy("taskbar-pinning", explorerPolicies, "NoPinningToTaskbar", false, taskbarPage, "nopinningtotaskbar",
            "Let programs be pinned to the taskbar",
            "Lets you pin programs to the taskbar and unpin them. Turned off, the programs pinned now stay, and none can be pinned or unpinned."),
        policy("jump-list-remote-items", explorerPolicies, "NoRemoteDestinations", false, taskbarPage, "noremotedestinations",
            "Show files from other computers in Jump Lists",
            "Lets Jump Lists on Start and the taskbar track and show files you opened over the network. Turned off, only files opened on this computer are listed, which saves network traffic; items you pinned stay."),
        withFields(policy("clear-recent-at-signout", shellPolicies, "ClearRecentDocsOnExit", true, startPage,
            "clearrecentdocsonexit", "Clear recent documents when you sign out",
            "Deletes the shortcuts to the documents you opened recently, and the recent and frequent items of the Jump Lists on Start and the taskbar, each time you sign out. Items you pinned stay."),
            { caution: "The list of recently opened documents is emptied at every sign-out, and cannot be brought back." }),
        policy("program-tracking", shellPolicies, "NoInstrumentation", false, startPage, "noinstrumentation",
            "Track the programs you run",
            "Lets Windows note the programs you run, to show the ones you use most in Start. Turned off, nothing is tracked and no frequently used programs are shown."),
        withFields(policy("copilot", "Software\\Policies\\Microsoft\\Windows\\WindowsCopilot", "TurnOffWindowsCopilot", false,
            cspPages + "policy-csp-windowsai", "turnoffwindowscopilot", "Windows Copilot",
            "Lets you use Copilot in Windows, with its button on the taskbar. Turned off, Copilot cannot be used and its button is not shown. Microsoft has deprecated this policy, and the newer Copilot app does not follow it." +
            editions),
            { windows: { from: "19044.3758", why: "Needs Windows 10 version 21H2 or 22H2 from build 19044.3758 or 19045.3758, or Windows 11 version 22H2 from build 22621.2361." } }),
        {
            id: "widgets", category: "taskbar", kind: "toggle", takesEffect: "restart",
            windows: { from: 22000, why: "Needs Windows 11." },
            title: "Allow widgets",
            description: "The widgets board, with news, weather and other content, and what it shows on the taskbar. Turned off, no one can use widgets on this computer." +
                editions + " A policy for the whole computer: changing it needs administrator rights.",
            source: cspPages + "policy-csp-newsandinterests#allownewsandinterests",
            root: "HKLM", key: "SOFTWARE\\Policies\\Microsoft\\Dsh", value: "AllowNewsAndInterests", type: "dword", makeKey: true,
            on: 1, off: 0, dflt: 1, dfltAbsent: true
        }
    );
}(TweakDefinitions));
