# The settings of the end-to-end test against the stand-in for the pages' ProgramHost.
base='HKEY_CURRENT_USER\Software\LumivantaKeptTest'
settings_file=("[$base\\One]" '"A"=dword:00000001' "[$base\\Two]" '"B"=dword:00000002' "[$base\\Three]" '"C"=dword:00000003')
applied_line='Applied: '
outside_key='HKCU\Software\LumivantaKeptTest\Two' outside_value=B outside_data=7 outside_title=B
skipped_line='^Skipped: '
store='HKCU\Software\LumivantaKeptDouble'
history_names() { win reg query "$store" /v History 2>/dev/null | grep -q "registry: .*$1"; }
build_change_told() { win reg query "$store" /v ToldBuild 2>/dev/null | grep -q "build $1\..* to $2\.2605"; }
damage_store() { win reg add "$store" /v 'Software\Damaged|X' /d text /f >/dev/null; }
