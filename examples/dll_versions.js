// Lists the version, company and language of every DLL in a folder.
//
//   cscript //nologo dll_versions.js C:\Tools
//
// tavFileVersion.ReadFile reads a file's version resource and returns false for a file without
// one (or a missing file); it never throws, so no error handling is needed.
var list = new ActiveXObject("Brindle.tavFoundedFiles");
var version = new ActiveXObject("Brindle.tavFileVersion");

// The mask applies at every level, so only folders named *.dll would be entered below.
list.Refresh(WScript.Arguments(0), "*.dll");
for (var i = 0; i < list.Count; i++) {
    var entry = list.Item(i);
    if (entry.AttributeDirectory) continue;
    if (version.ReadFile(entry.Path + "\\" + entry.FileName)) {
        // The fixed version numbers; StrFileVersion would be the maker's text instead.
        WScript.Echo(entry.FileName + "  " +
            [version.FileVerMajor, version.FileVerMinor, version.FileVerRevisionMajor, version.FileVerRevisionMinor].join(".") +
            "  " + version.StrCompanyName + "  " + version.LanguageName);
    } else {
        WScript.Echo(entry.FileName + "  (no version information)");
    }
}
