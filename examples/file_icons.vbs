' Shows the type name and the icons the Windows shell gives files and folders.
'
'   cscript //nologo file_icons.vbs C:\Data\notes.txt C:\Data [more...]
'
' tavShellFileInfo.ReadFile asks the shell about one file or folder and returns False, never
' raising, when the shell does not know it. Each icon property gives a ShellFileIcon whose Icon
' is a picture (a StdPicture, as LoadPicture returns), sized in HIMETRIC: 2540 to the inch, so
' 96 pixels an inch on a display at 100%.
Option Explicit

Dim info, i, file
Set info = CreateObject("Brindle.tavShellFileInfo")
For i = 0 To WScript.Arguments.Count - 1
    file = WScript.Arguments(i)
    WScript.Echo Mid(file, InStrRev(file, "\") + 1)
    If info.ReadFile(file) Then
        WScript.Echo "  type: " & info.TypeName
        WScript.Echo "  large icon: " & Pixels(info.Icon) & ", small icon: " & Pixels(info.SmallIcon)
        ' For a program, the kind of executable: PE for Windows programs.
        If info.EXEType.Signature <> "" Then WScript.Echo "  executable: " & info.EXEType.Signature
    Else
        WScript.Echo "  unknown to the shell"
    End If
Next

Function Pixels(shellIcon)
    If shellIcon.Index = -1 Then
        Pixels = "none (the shell gave the default)"
    Else
        Pixels = Round(shellIcon.Icon.Width * 96 / 2540) & " x " & Round(shellIcon.Icon.Height * 96 / 2540) & " pixels"
    End If
End Function
