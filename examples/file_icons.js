// Shows the type name and the icons the Windows shell gives files and folders.
//
//   cscript //nologo file_icons.js C:\Data\notes.txt C:\Data [more...]
//
// tavShellFileInfo.ReadFile asks the shell about one file or folder and returns false, never
// throwing, when the shell does not know it. Each icon property gives a ShellFileIcon whose Icon
// is a picture (a StdPicture, as LoadPicture returns), sized in HIMETRIC: 2540 to the inch, so
// 96 pixels an inch on a display at 100%.
function pixels(shellIcon) {
    if (shellIcon.Index == -1) return "none (the shell gave the default)";
    var picture = shellIcon.Icon;
    return Math.round(picture.Width * 96 / 2540) + " x " + Math.round(picture.Height * 96 / 2540) + " pixels";
}

var info = new ActiveXObject("Brindle.tavShellFileInfo");
for (var a = 0; a < WScript.Arguments.length; a++) {
    var file = WScript.Arguments(a);
    WScript.Echo(file.substr(file.lastIndexOf("\\") + 1));
    if (!info.ReadFile(file)) {
        WScript.Echo("  unknown to the shell");
        continue;
    }
    WScript.Echo("  type: " + info.TypeName);
    WScript.Echo("  large icon: " + pixels(info.Icon) + ", small icon: " + pixels(info.SmallIcon));
    // For a program, the kind of executable: PE for Windows programs.
    if (info.EXEType.Signature != "") WScript.Echo("  executable: " + info.EXEType.Signature);
}
