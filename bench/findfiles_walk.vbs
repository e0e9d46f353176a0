' (d) of findfiles_bench: the total size of a tree from VBScript, visiting every entry of the
' result with For Each, through Childs, and summing FileSize. Prints "<seconds> <total bytes>".
'   cscript //nologo findfiles_walk.vbs <folder>
Function SumTree(list)
    Dim entry, total
    total = 0
    For Each entry In list
        If entry.AttributeDirectory Then
            total = total + SumTree(entry.Childs)
        Else
            total = total + entry.FileSize
        End If
    Next
    SumTree = total
End Function

Dim started, list, total
started = Timer
Set list = CreateObject("Brindle.tavFoundedFiles")
If Not list.Refresh(WScript.Arguments(0), "*") Then WScript.Echo "Refresh found nothing"
total = SumTree(list)
WScript.Echo Replace(CStr(Timer - started), ",", ".") & " " & CStr(total)
