# Prints the ten largest folders of a tree.
#
#   powershell -File largest_folders.ps1 C:\Projects
#
# What differs from the scripts: PowerShell's own objects do not show their script methods to
# COM, so this version passes no CallBackObject to RefreshEx: it reports no progress and cannot
# stop the listing part-way (the VBScript and JScript versions can). The sorting is PowerShell's
# own. A 64-bit PowerShell needs the 64-bit Brindle0100.dll registered.
param([Parameter(Mandatory)] [string] $Root)

$list = New-Object -ComObject Brindle.tavFoundedFiles
if (-not $list.RefreshEx($Root, '*', $false)) { throw "Cannot list $Root" }

# Every folder of the tree: an entry's Path is its parent folder, its Childs its own entries.
function Get-Folders($folders) {
    foreach ($entry in $folders) {
        if ($entry.AttributeDirectory) {
            [pscustomobject] @{ Size = $entry.FileSize; Path = Join-Path $entry.Path $entry.FileName }
            Get-Folders $entry.Childs
        }
    }
}

"$($list.Size) bytes. The largest folders:"
Get-Folders $list | Sort-Object Size -Descending | Select-Object -First 10 |
    ForEach-Object { '{0,12}  {1}' -f $_.Size, $_.Path.Substring($Root.TrimEnd('\').Length + 1) }
