# The settings of the end-to-end test against the pages: three of three categories (File
# Explorer, Taskbar and Start, Privacy), and where the pages keep them and their history. Wine's
# registry lacks the keys of the first two, which Windows has.
cu='HKEY_CURRENT_USER' explorer='Software\Microsoft\Windows\CurrentVersion\Explorer'
settings_file=("[$cu\\$explorer\\CabinetState]" '"FullPath"=dword:00000001' "[$cu\\$explorer\\Advanced]"
  '"Start_TrackProgs"=dword:00000000' "[$cu\\Control Panel\\International\\User Profile]"
  '"HttpAcceptLanguageOptOut"=dword:00000001')
win reg add "HKCU\\$explorer\\CabinetState" /f >/dev/null
win reg add "HKCU\\$explorer\\Advanced" /f >/dev/null
applied_line='Applied: '
outside_key="HKCU\\$explorer\\CabinetState" outside_value=FullPath outside_data=0
outside_title='Display the full path in the title bar'
skipped_line='^Skipped: the kept setting "no-such-setting"'
store='HKCU\SOFTWARE\Lumivanta Manager'
history_names() { win reg query "$store\\Journal" 2>/dev/null | grep 'outside\.' | grep -qF "|$1|"; }
# The pages name the builds in the notification, which only the screenshot shows; here, the new
# build is remembered and the setting changed back with the update is in the history again.
build_change_told() {
  win reg query "$store\\Kept checks" /v 'Windows build' 2>/dev/null | grep -q "$2\.2605" &&
    test "$(win reg query "$store\\Journal" 2>/dev/null | grep 'outside\.' | grep -cF "|$outside_title|")" -ge 2
}
damage_store() { win reg add "$store\\Kept" /v no-such-setting /d '1|boolean|true|0|Gone' /f >/dev/null; }
