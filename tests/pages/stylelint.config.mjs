// The style sheets may use only what the browser control supports in its standards mode.
export default {
  plugins: ["stylelint-no-unsupported-browser-features"],
  rules: {
    "plugin/no-unsupported-browser-features": [true, {
      browsers: ["ie 11"],
      severity: "error",
      // The shorthand's several-value form is missing, but a single keyword such as
      // "text-decoration: none" is CSS 2, which the control has always known.
      // Flexbox and outline are partial by IE 11's bugs and its lack of outline-offset, which the sheet avoids.
      ignore: ["mdn-text-decoration-shorthand", "flexbox", "outline"],
    }],
    "color-no-invalid-hex": true,
    "property-no-unknown": true,
    "declaration-block-no-duplicate-properties": true,
    "selector-pseudo-class-no-unknown": true,
    "unit-no-unknown": true,
    "function-no-unknown": true,
    "no-invalid-double-slash-comments": true,
  },
};
