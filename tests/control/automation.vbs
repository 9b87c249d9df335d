' The registered control under a real automation client: created by ProgID, loaded with script
' arrays, read through Cell objects and default members, refused with the errors a script sees.
Option Explicit

Dim checks, failures, view, cell, value, copy
checks = 0
failures = 0

Sub Expect(name, actual, expected)
    checks = checks + 1
    If VarType(actual) = VarType(expected) Or (IsNumeric(actual) And IsNumeric(expected)) Then
        If actual = expected Then Exit Sub
    End If
    failures = failures + 1
    WScript.Echo "FAIL " & name & ": got " & TypeName(actual) & " [" & actual & "], expected " _
        & TypeName(expected) & " [" & expected & "]"
End Sub

' The error of the statement just run, cleared for the next one.
Function TakeError()
    TakeError = Err.Number
    Err.Clear
End Function

' Through the default members: View(r, c), then Cell's Value.
Function ValueAt(r, c)
    ValueAt = view(r, c)
End Function

Const InvalidArgument = 5 ' how a script sees E_INVALIDARG

Set view = CreateObject("Norv.View")

' Column properties belong to indices, before and beyond any load.
Expect "default label", view.ColumnLabel(2), "COLUMN 2"
view.ColumnLabel(7) = "Seventh"
view.ColumnWidth(1) = 0
view.ColumnAlign(3) = 7

' Data(column, record): three columns, four records of mixed kinds.
Dim data(2, 3)
data(0, 0) = 42         : data(1, 0) = "forty-two" : data(2, 0) = DateSerial(2024, 3, 14)
data(0, 1) = 7.5        : data(1, 1) = "seven"     : data(2, 1) = DateSerial(2023, 11, 2)
data(0, 2) = CCur(3.25) : data(1, 2) = Empty       : data(2, 2) = Null
data(0, 3) = True       : data(1, 3) = "last"      : data(2, 3) = 17

view.SetData data
Expect "records", view.RecordCount, 4
Expect "value by default members", ValueAt(0, 0), 42
Expect "value through Cell", view.Cell(1, 0).Value, 7.5
Expect "currency value", ValueAt(2, 0), CCur(3.25)
Expect "null value", IsNull(ValueAt(2, 2)), True
Expect "date value", ValueAt(0, 2), DateSerial(2024, 3, 14)
Expect "number tag is its text", view.Cell(0, 0).Tag, "42"
Expect "date tag by month (default)", view.Cell(0, 2).Tag, "2024 March"

' Explicit optional arguments reach the texts and the captions.
view.SetData data, 1, 4
Expect "long date text", view.Cell(0, 2).Text, "Thursday, March 14, 2024"
Expect "year tag", view.Cell(0, 2).Tag, "2024"

' Reverted orientation: Data(record, column).
view.SetData data, 0, 2, True
Expect "reverted: records", view.RecordCount, 3
Expect "reverted: value", ValueAt(1, 3), "last"
' Any non-zero late-bound number is True; a parenthesised array and a copy load too.
view.SetData (data), 0, 2, 1
Expect "1 from a script is True", view.RecordCount, 3
copy = data
view.SetData copy, , , False
Expect "array in a variant, skipped optionals", view.RecordCount, 4

' Labels, widths and alignments survive loads.
Dim wide(9, 1)
view.SetData wide
Expect "label kept", view.ColumnLabel(7), "Seventh"
Expect "width kept", view.ColumnWidth(1), 0
Expect "align kept unchecked", view.ColumnAlign(3), 7

' Refused loads: the error a script sees, and nothing changed.
Dim line(3), cube(1, 1, 1)
view.SetData data
On Error Resume Next
view.SetData data, 6 : Expect "format 6", TakeError(), InvalidArgument
view.SetData data, 0, 5 : Expect "grouping 5", TakeError(), InvalidArgument
view.SetData "text" : Expect "string data", TakeError(), InvalidArgument
view.SetData 12 : Expect "number data", TakeError(), InvalidArgument
view.SetData line : Expect "one dimension", TakeError(), InvalidArgument
view.SetData cube : Expect "three dimensions", TakeError(), InvalidArgument
value = view(4, 0) : Expect "default member past the end fails", TakeError() <> 0, True
On Error GoTo 0
Expect "refusals kept the data", view.RecordCount, 4

' A cell object read through its default member after a reload.
Set cell = view.Cell(3, 1)
view.SetData wide
view.SetData data
value = cell
Expect "cell default member", value, "last"

' Null and Empty empty the control.
view.SetData Null
Expect "null empties", view.RecordCount, 0
view.SetData data
view.SetData Empty
Expect "emptied: selected", view.SelectedRecord, -1

' Enabled reads back as an automation Boolean.
view.Enabled = False
view.Enabled = 1
Expect "True is -1", CInt(view.Enabled), -1

WScript.Echo checks & " checks, " & failures & " failed"
WScript.Quit Sgn(failures)
