' A script creates the registered control by ProgID and loads it; ends with 0 when it holds
' both records, else says why and ends with 1.
On Error Resume Next
Dim view, data(1, 1)
Set view = CreateObject("Norv.View")
view.SetData data
If Err.Number = 0 And view.RecordCount = 2 Then WScript.Quit 0
WScript.Echo "Norv.View from a script: error " & Hex(Err.Number) & " " & Err.Description
WScript.Quit 1
