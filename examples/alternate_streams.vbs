' Lists the alternate data streams of files.
'
'   cscript //nologo alternate_streams.vbs C:\Downloads\setup.exe [more files...]
'
' Besides its contents, a file on NTFS can hold named streams: browsers add "Zone.Identifier" to
' downloads, other programs keep their own. tavFileStreams reads only the headers of the
' streams, never their contents, so large files cost nothing extra. ReadFileStreams returns
' False, and never raises, when the file cannot be opened.
Option Explicit

Dim streams, i, file, stream, count
Set streams = CreateObject("Brindle.tavFileStreams")
For i = 0 To WScript.Arguments.Count - 1
    file = WScript.Arguments(i)
    If streams.ReadFileStreams(file) Then
        count = 0
        For Each stream In streams
            ' The file's own contents are a stream too (StreamIDData); security, hard links and
            ' others have kinds of their own.
            If stream.StreamIDAlternateData Then
                WScript.Echo "  " & stream.ShortName & ": " & stream.Size & " bytes"
                count = count + 1
            End If
        Next
        WScript.Echo Mid(file, InStrRev(file, "\") + 1) & ": " & count & " alternate data stream(s)"
    Else
        WScript.Echo Mid(file, InStrRev(file, "\") + 1) & ": cannot be opened"
    End If
Next
