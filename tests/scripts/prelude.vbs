' What every VBScript test shares. scripts/run-script runs a copy of the test with this file
' appended after the test's last line (the script host here has no ExecuteGlobal), so that the
' test's own line numbers stay those of its file and its Option Explicit stays first. The
' declarations below hold from the start; a test's first statement is Begin, then it reports
' each check with Check and ends with Finish, which prints the marker line the runner waits for
' only when every check passed.
Dim fso, folder, failures

Sub Begin()
    Set fso = CreateObject("Scripting.FileSystemObject")
    folder = ""
    failures = 0
End Sub

Sub Check(ok, what)
    If ok Then
        WScript.Echo "ok   " & what
    Else
        WScript.Echo "FAIL " & what
        failures = failures + 1
    End If
End Sub

' A check of one value against the one expected, both shown.
Sub CheckEqual(what, got, expected)
    If got = expected Then
        WScript.Echo "ok   " & what & " = " & got
    Else
        WScript.Echo "FAIL " & what & ": got [" & got & "], expected [" & expected & "]"
        failures = failures + 1
    End If
End Sub

' A new empty folder of the test's own under the temporary folder; Finish removes it.
Sub MakeTestFolder(prefix)
    folder = fso.BuildPath(fso.GetSpecialFolder(2), prefix & CStr(Int(Timer * 100)))
    fso.CreateFolder folder
End Sub

' A path in the test's folder.
Function P(name)
    P = fso.BuildPath(folder, name)
End Function

' Writes the text as the whole file (ANSI), replacing any.
Sub WriteTextFile(path, text)
    Dim f
    Set f = fso.CreateTextFile(path, True)
    f.Write text
    f.Close
End Sub

' The end of a test: the test's folder goes (if the test has not removed it itself), then a
' failed check ends the script with exit code 1, or the marker line is printed.
Sub Finish()
    If folder <> "" Then
        If fso.FolderExists(folder) Then fso.DeleteFolder folder, True
    End If
    If failures > 0 Then
        WScript.Echo failures & " check(s) failed"
        WScript.Quit 1
    End If
    WScript.Echo "ALL OK"
End Sub
