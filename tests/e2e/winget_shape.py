"""The shape of the package manager's manifest schema 1.6.0 (singleton parts of
the version, installer and defaultLocale schemas that our manifests use), as
JSON Schemas for the jsonschema package: required keys, patterns, lengths and
enumerations as the published schema states them."""

IDENTIFIER = r'^[^\.\s\\/:\*\?"<>\|\x01-\x1f]{1,32}(\.[^\.\s\\/:\*\?"<>\|\x01-\x1f]{1,32}){1,7}$'
VERSION = r'^[^\\/:\*\?"<>\|\x01-\x1f]+$'
LOCALE = r'^([a-zA-Z]{2,3}|[iI]-[a-zA-Z]+|[xX]-[a-zA-Z]{1,8})(-[a-zA-Z]{1,8})*$'
MANIFEST_VERSION = r'^(0|[1-9][0-9]{0,3}|[1-5][0-9]{4}|6[0-4][0-9]{3}|65[0-4][0-9]{2}|655[0-2][0-9]|6553[0-5])' \
                   r'(\.(0|[1-9][0-9]{0,3}|[1-5][0-9]{4}|6[0-4][0-9]{3}|65[0-4][0-9]{2}|655[0-2][0-9]|6553[0-5])){2}$'

COMMON = {
    "PackageIdentifier": {"type": "string", "pattern": IDENTIFIER, "maxLength": 128},
    "PackageVersion": {"type": "string", "pattern": VERSION, "maxLength": 128},
    "ManifestVersion": {"type": "string", "pattern": MANIFEST_VERSION},
}

VERSION_SCHEMA = {
    "type": "object",
    "properties": dict(COMMON, DefaultLocale={"type": "string", "pattern": LOCALE, "maxLength": 20},
                       ManifestType={"const": "version"}),
    "required": ["PackageIdentifier", "PackageVersion", "DefaultLocale", "ManifestType", "ManifestVersion"],
}

RETURN_RESPONSES = ["packageInUse", "packageInUseByApplication", "installInProgress", "fileInUse",
                    "missingDependency", "diskFull", "insufficientMemory", "invalidParameter", "noNetwork",
                    "contactSupport", "rebootRequiredToFinish", "rebootRequiredForInstall", "rebootInitiated",
                    "cancelledByUser", "alreadyInstalled", "downgrade", "blockedByPolicy", "systemNotSupported",
                    "custom"]
SWITCH = {"type": ["string", "null"], "minLength": 1, "maxLength": 512}

INSTALLER_SCHEMA = {
    "type": "object",
    "properties": dict(
        COMMON,
        InstallerType={"enum": ["msix", "msi", "appx", "exe", "zip", "inno", "nullsoft", "wix", "burn", "pwa",
                                "portable"]},
        Scope={"enum": ["user", "machine"]},
        InstallModes={"type": "array", "uniqueItems": True, "maxItems": 3,
                      "items": {"enum": ["interactive", "silent", "silentWithProgress"]}},
        InstallerSwitches={"type": "object", "additionalProperties": False,
                           "properties": {k: SWITCH for k in ("Silent", "SilentWithProgress", "Interactive",
                                                              "InstallLocation", "Log", "Upgrade", "Custom")}},
        ExpectedReturnCodes={"type": "array", "maxItems": 128, "items": {
            "type": "object", "required": ["InstallerReturnCode", "ReturnResponse"],
            "properties": {"InstallerReturnCode": {"type": "integer", "not": {"const": 0}},
                           "ReturnResponse": {"enum": RETURN_RESPONSES}}}},
        UpgradeBehavior={"enum": ["install", "uninstallPrevious", "deny"]},
        ProductCode={"type": "string", "minLength": 1, "maxLength": 255},
        Installers={"type": "array", "minItems": 1, "maxItems": 1024, "items": {
            "type": "object", "required": ["Architecture", "InstallerUrl", "InstallerSha256"],
            "properties": {"Architecture": {"enum": ["x86", "x64", "arm", "arm64", "neutral"]},
                           "InstallerUrl": {"type": "string", "pattern": r"^([Hh][Tt][Tt][Pp][Ss]?)://.+$",
                                            "maxLength": 2048},
                           "InstallerSha256": {"type": "string", "pattern": "^[A-Fa-f0-9]{64}$"}}}},
        ManifestType={"const": "installer"}),
    "required": ["PackageIdentifier", "PackageVersion", "Installers", "ManifestType", "ManifestVersion"],
}

LOCALE_SCHEMA = {
    "type": "object",
    "properties": dict(
        COMMON,
        PackageLocale={"type": "string", "pattern": LOCALE, "maxLength": 20},
        Publisher={"type": "string", "minLength": 2, "maxLength": 256},
        PackageName={"type": "string", "minLength": 2, "maxLength": 256},
        License={"type": "string", "minLength": 3, "maxLength": 512},
        ShortDescription={"type": "string", "minLength": 3, "maxLength": 256},
        ManifestType={"const": "defaultLocale"}),
    "required": ["PackageIdentifier", "PackageVersion", "PackageLocale", "Publisher", "PackageName", "License",
                 "ShortDescription", "ManifestType", "ManifestVersion"],
}
