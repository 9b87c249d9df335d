' What a script does with the control once it is registered: create it by ProgID and load it.
' Ends with 0 when the control took two records, else with the error.
On Error Resume Next
Dim view, data(1, 1)
Set view = CreateObject("Norv.View")
data(0, 0) = "a" : data(0, 1) = "b" : data(1, 0) = 1 : data(1, 1) = 2
view.SetData data
If Err.Number = 0 And view.RecordCount = 2 Then WScript.Quit 0
WScript.Echo "Norv.View from a script: error " & Hex(Err.Number) & " " & Err.Description
WScript.Quit 1
