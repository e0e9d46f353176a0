' Lists the version, company and language of every DLL in a folder.
'
'   cscript //nologo dll_versions.vbs C:\Tools
'
' tavFileVersion.ReadFile reads a file's version resource and returns False for a file without
' one (or a missing file); it never raises, so no error handling is needed.
Option Explicit

Dim list, version, entry
Set list = CreateObject("Brindle.tavFoundedFiles")
Set version = CreateObject("Brindle.tavFileVersion")

' The mask applies at every level, so only folders named *.dll would be entered below.
list.Refresh WScript.Arguments(0), "*.dll"
For Each entry In list
    If Not entry.AttributeDirectory Then
        If version.ReadFile(entry.Path & "\" & entry.FileName) Then
            ' The fixed version numbers; StrFileVersion would be the maker's text instead.
            WScript.Echo entry.FileName & "  " & _
                version.FileVerMajor & "." & version.FileVerMinor & "." & _
                version.FileVerRevisionMajor & "." & version.FileVerRevisionMinor & "  " & _
                version.StrCompanyName & "  " & version.LanguageName
        Else
            WScript.Echo entry.FileName & "  (no version information)"
        End If
    End If
Next
