#!/usr/bin/env bash
# Writes the manifest of the Windows Package Manager (winget) for the package: the multi-file
# form of manifest schema 1.10 (a version file, an installer file and the default locale),
# as the Windows Package Manager Community Repository takes it.
# Usage: make-winget.sh PACKAGE.msi VERSION DOWNLOAD_URL OUT_FOLDER
set -euo pipefail
msi=$1 version=$2 url=$3 out=$4
id=Lumivanta.LumivantaManager
schema=1.10.0
property() { msiinfo export "$msi" Property | tr -d '\r' | awk -F'\t' -v name="$1" '$1 == name { print $2 }'; }
product_code=$(property ProductCode)
upgrade_code=$(property UpgradeCode)
sha256=$(sha256sum "$msi" | cut -d' ' -f1 | tr a-f A-F)
[ -n "$product_code" ] && [ -n "$upgrade_code" ] || { echo "make-winget.sh: $msi names no product code" >&2; exit 1; }

mkdir -p "$out"
cat >"$out/$id.yaml" <<YAML
PackageIdentifier: $id
PackageVersion: $version
DefaultLocale: en-US
ManifestType: version
ManifestVersion: $schema
YAML

# A per-user MSI: no elevation. A newer version installs over the older one, which the
# package's own major upgrade removes. "--location" is not supported: the package always
# installs into the user's own programs folder, where an upgrade also finds an earlier version
# that recorded no folder of its own.
cat >"$out/$id.installer.yaml" <<YAML
PackageIdentifier: $id
PackageVersion: $version
Platform:
  - Windows.Desktop
MinimumOSVersion: 6.0.6000.0
InstallerType: msi
Scope: user
InstallModes:
  - interactive
  - silent
  - silentWithProgress
UpgradeBehavior: install
UnsupportedArguments:
  - location
ProductCode: '$product_code'
AppsAndFeaturesEntries:
  - DisplayName: Lumivanta Manager
    Publisher: Lumivanta
    DisplayVersion: $version
    ProductCode: '$product_code'
    UpgradeCode: '$upgrade_code'
Installers:
  - Architecture: x86
    InstallerUrl: $url/LumivantaManager-$version.msi
    InstallerSha256: $sha256
ManifestType: installer
ManifestVersion: $schema
YAML

cat >"$out/$id.locale.en-US.yaml" <<YAML
PackageIdentifier: $id
PackageVersion: $version
PackageLocale: en-US
Publisher: Lumivanta
PublisherUrl: https://www.lumivanta.com/
PublisherSupportUrl: https://www.lumivanta.com/contacts.php
PackageName: Lumivanta Manager
PackageUrl: https://www.lumivanta.com/
License: Freeware
Copyright: Copyright (C) 2026 Lumivanta
ShortDescription: A tray program that changes Windows settings through its tweak pages.
ManifestType: defaultLocale
ManifestVersion: $schema
YAML
