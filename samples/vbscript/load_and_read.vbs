' Loads a small table into the control and reads back what it keeps: counts, cells with their
' values, texts and grouping captions, column labels and widths.
' Run:  cscript //nologo load_and_read.vbs   (norv.dll registered with regsvr32)
' Sorting and grouping are the user's, through the control's window; a script without a
' window sees the records in their own order and the first of them selected.
Option Explicit

Dim view, data, r, failures
Set view = CreateObject("Norv.View")
failures = 0

' Data(column, record): 3 columns, 4 records, with a date, a number and an empty cell.
ReDim data(2, 3)
data(0, 0) = "Oslo":   data(1, 0) = DateSerial(2024, 3, 14): data(2, 0) = 120.5
data(0, 1) = "Bergen": data(1, 1) = DateSerial(2024, 1, 2):  data(2, 1) = 80
data(0, 2) = "Tromso": data(1, 2) = DateSerial(2023, 11, 30): data(2, 2) = Empty
data(0, 3) = "Alta":   data(1, 3) = DateSerial(2024, 3, 1):  data(2, 3) = 42
view.SetData data, 0, 3 ' flShortDate, grouped by quarter when the user groups the dates

view.ColumnLabel(0) = "Town"
view.ColumnLabel(1) = "Visited"
view.ColumnWidth(0) = 140
view.ColumnAlign(2) = 2 ' flRight

Sub Check(what, actual, expected)
    If actual = expected Then
        WScript.Echo "ok: " & what & " = " & actual
    Else
        WScript.Echo "FAILED: " & what & " = " & actual & ", expected " & expected
        failures = failures + 1
    End If
End Sub

Check "records", view.RecordCount, 4
Check "columns", view.ColumnCount, 3
' The first row shown is selected; with no sorting by the user the rows are in the order of
' column 0, so that is Alta, record 3.
Check "selected record", view.SelectedRecord, 3
For r = 0 To view.RecordCount - 1
    WScript.Echo "record " & r & ": " & view.Cell(r, 0).Text & " | " & _
        view.Cell(r, 1).Text & " (" & view.Cell(r, 1).Tag & ") | " & view.Cell(r, 2).Text
Next
Check "a value keeps its type", TypeName(view.Cell(1, 1).Value), "Date"
Check "the quarter a date groups under", view.Cell(0, 1).Tag, "2024 Q1"
Check "an empty cell shows", view.Cell(2, 2).Text, "<EMPTY>"
Check "the default member reads a value", view(3, 0), "Alta"
Check "label of column 1", view.ColumnLabel(1), "Visited"
Check "label never set", view.ColumnLabel(2), "COLUMN 2"
Check "width set", view.ColumnWidth(0), 140
Check "alignment", view.ColumnAlign(2), 2

' Refusals are run-time errors to a script; the data stay as they were.
On Error Resume Next
view.SetData "not an array"
Check "a string is refused", Err.Number, 5
Err.Clear
On Error GoTo 0
Check "records after the refusal", view.RecordCount, 4

If failures = 0 Then
    WScript.Echo "every answer as expected"
Else
    WScript.Echo failures & " answers went wrong"
    WScript.Quit 1
End If
