// Lint of every page script. The engine and the definitions run in the platform's JScript, so
// they are held to ES3 and to the library of ES3; the page layer may use ES5 and the DOM of
// the browser control's standards mode.
import js from "@eslint/js";

const es5Library = ["forEach", "map", "filter", "reduce", "some", "every", "indexOf", "lastIndexOf", "trim",
  "keys", "create", "defineProperty", "bind", "isArray", "toISOString"];

export default [
  js.configs.recommended,
  {
    files: ["**/*.js"],
    languageOptions: { ecmaVersion: 5, sourceType: "script" },
    rules: {
      "comma-dangle": ["error", "never"],
      "no-unused-vars": ["error", { vars: "local", caughtErrors: "none" }],
      "no-shadow": "error",
      "eqeqeq": "error",
    },
  },
  {
    files: ["**/js/engine.js", "**/js/engine/*.js", "**/js/regfile.js", "**/js/transfer.js", "**/js/kept.js",
      "**/js/elevated.js", "**/js/host.js", "**/js/policies.js", "**/js/defs/*.js", "**/tests/pages/WineDiffers.js"],
    languageOptions: { ecmaVersion: 3 },
    rules: {
      "no-restricted-globals": ["error", { name: "JSON", message: "JScript at ES3 has no JSON" },
        { name: "window", message: "the engine and the definitions touch no page" },
        { name: "document", message: "the engine and the definitions touch no page" }],
      "no-restricted-properties": ["error",
        ...es5Library.map((property) => ({ property, message: "not in the ES3 library of JScript" }))],
    },
  },
  {
    files: ["**/js/defs/*.js"],
    rules: { "no-use-before-define": "off" },
  },
  {
    files: ["**/js/page.js", "**/js/start.js", "**/js/filter.js", "**/js/search.js", "**/js/changes.js",
      "**/js/appmode.js", "**/js/nav.js", "**/js/policypage.js"],
    languageOptions: {
      globals: { window: "readonly", document: "readonly", TweakEngine: "readonly", TweakDefinitions: "readonly",
        PageDom: "readonly", SettingsTransfer: "readonly", KeptSettings: "readonly", Policies: "readonly",
        AdminChanges: "readonly" },
    },
  },
  {
    files: ["**/js/transfer.js"],
    languageOptions: { globals: { TweakEngine: "readonly", RegFile: "readonly" } },
  },
  {
    files: ["**/js/kept.js"],
    languageOptions: { globals: { TweakEngine: "readonly", external: "readonly" } },
  },
  {
    files: ["**/js/host.js"],
    languageOptions: { globals: { TweakEngine: "readonly", SettingsTransfer: "readonly", KeptSettings: "readonly",
      ElevatedChanges: "readonly" } },
  },
  {
    files: ["**/js/admin.js"],
    languageOptions: { globals: { window: "readonly", PageDom: "readonly" } },
  },
  {
    files: ["**/js/dom.js"],
    languageOptions: { globals: { document: "readonly", window: "readonly" } },
  },
  {
    files: ["**/tests/pages/external-double.js"],
    languageOptions: { globals: { window: "writable" } },
  },
];
