#!/usr/bin/env bash
# The Policies page's code over a PolicyDefinitions folder of the test's own, written from the
# documented schema: a user policy with every kind of option that the page changes (its choice
# a text among numbers) and a machine's policy are enabled, disabled, set to Not configured and
# their changes undone, and "reg export" shows each state.
# Usage: policies.sh lvscript.exe PAGES_FOLDER (RUN_TOOL runs Windows programs)
set -uo pipefail
lvscript=$1 pages=$2
win() { ${RUN_TOOL:-} "$@" </dev/null 2>&1 | tr -d '\r'; }
own="Software\\LvPolicyTest$$" key="Software\\Policies\\LvPolicyTest$$"
folder=$(mktemp -d)
cleanup() {
  win reg delete "HKCU\\$own" /f >/dev/null; win reg delete "HKCU\\$key" /f >/dev/null
  win reg delete "HKLM\\$key" /f /reg:64 >/dev/null; rm -rf "$folder"
}
trap cleanup EXIT
mkdir -p "$folder/en-US"
head="<?xml version='1.0' encoding='utf-8'?><policyDefinitions revision='1.0' schemaVersion='1.0' xmlns='http://schemas.microsoft.com/GroupPolicy/2006/07/PolicyDefinitions'>"
texts="<?xml version='1.0' encoding='utf-8'?><policyDefinitionResources revision='1.0' schemaVersion='1.0'><resources><stringTable>"
cat >"$folder/base.admx" <<XML
$head<policyNamespaces><target prefix='b' namespace='Lv.Base'/></policyNamespaces><resources minRequiredRevision='1.0'/>
<supportedOn><definitions><definition name='S' displayName='\$(string.S)'/></definitions></supportedOn>
<categories><category name='Root' displayName='\$(string.Root)'/></categories></policyDefinitions>
XML
echo "$texts<string id='S'>Test systems</string><string id='Root'>Root</string></stringTable></resources></policyDefinitionResources>" >"$folder/en-US/base.adml"
cat >"$folder/app.admx" <<XML
$head<policyNamespaces><target prefix='a' namespace='Lv.App'/><using prefix='base' namespace='Lv.Base'/></policyNamespaces>
<resources minRequiredRevision='1.0'/><categories><category name='Sub' displayName='\$(string.Sub)'><parentCategory ref='base:Root'/></category></categories>
<policies><policy name='Every' class='User' displayName='\$(string.Every)' explainText='\$(string.Every)' presentation='\$(presentation.Every)' key='$key' valueName='On'>
<parentCategory ref='Sub'/><supportedOn ref='base:S'/><enabledValue><string>yes</string></enabledValue><disabledValue><decimal value='0'/></disabledValue>
<enabledList><item valueName='Extra'><value><decimal value='7'/></value></item></enabledList>
<elements><boolean id='Box' valueName='Box'><trueValue><decimal value='5'/></trueValue><falseValue><delete/></falseValue></boolean>
<decimal id='Num' valueName='Num' minValue='2' maxValue='20' storeAsText='true'/><text id='Txt' valueName='Txt' expandable='true'/>
<enum id='Pick' valueName='Pick'><item displayName='\$(string.Sub)'><value><decimal value='1'/></value></item><item displayName='\$(string.Every)'><value><string>two</string></value></item></enum>
</elements></policy>
<policy name='Machine' class='Machine' displayName='\$(string.Sub)' key='$key' valueName='M'><parentCategory ref='Sub'/><supportedOn ref='base:S'/></policy>
</policies></policyDefinitions>
XML
echo "$texts<string id='Sub'>Sub</string><string id='Every'>Every option</string></stringTable><presentationTable><presentation id='Every'/></presentationTable></resources></policyDefinitionResources>" >"$folder/en-US/app.adml"
printf "<?xml version='1.0'?><!DOCTYPE p [<!ENTITY x SYSTEM 'file:///C:/windows/win.ini'>]><policyDefinitions>&x;</policyDefinitions>" >"$folder/external.admx"
windows_folder=$(win winepath -w "$folder")

failures=0
# The values under the policies' key in HIVE (HKCU, or HKLM in the 64-bit view Windows reads).
exported() {
  win reg export "$1\\$key" "$(win winepath -w "$folder/out.reg")" /y /reg:64 >/dev/null
  if [ -f "$folder/out.reg" ]; then iconv -f UTF-16LE -t UTF-8 "$folder/out.reg" | tr -d '\r' | grep '^"' | sort | tr '\n' ' '; fi
  rm -f "$folder/out.reg"
}
expect() {
  local got
  got=$(exported "${3:-HKCU}")
  if [ "$got" = "$2" ]; then echo "ok   $1"; else echo "FAIL $1: reg export gives '$got', expected '$2'"; failures=$((failures + 1)); fi
}
engine=()
while read -r script; do
  engine+=(--include "$pages/tweaks/js/$script")
done < <(grep '^engine' "$pages/host-scripts.txt")
step() {
  win "$lvscript" --include "$(dirname "$0")/../scripts/Checks.js" "${engine[@]}" \
    --include "$pages/tweaks/js/policies.js" "$(dirname "$0")/PolicyTests.js" "$windows_folder" "$1" "$own"
}
step enable
expect "Enabled writes enabledValue, enabledList and each option" \
  '"Box"=dword:00000005 "Extra"=dword:00000007 "Num"="12" "On"="yes" "Pick"="two" "Txt"=hex(2):25,00,54,00,45,00,4d,00,50,00,25,00,5c,00,6c,00,76,00,00,00 '
expect "a machine's policy with neither value given: Enabled writes DWORD 1" '"M"=dword:00000001 ' HKLM
step disable
expect "Disabled writes disabledValue and removes the rest" '"On"=dword:00000000 '
expect "and a machine's policy DWORD 0" '"M"=dword:00000000 ' HKLM
step unset
expect "Not configured removes every value" ''
expect "of a machine's policy too" '' HKLM
step enable >/dev/null
step undo
expect "undoing every change leaves nothing" ''
expect "of a machine's policy either" '' HKLM
[ "$failures" -eq 0 ]
