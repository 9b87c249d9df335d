' VBA (Excel): the code of a user form that lists the sales records of a worksheet.
' Not run by the project's tests: it needs Office on Windows.
'
' Set-up: Insert > UserForm, name it SalesForm; Tools > Additional Controls..., tick
' "Norvik Control"; draw one on the form (View1) and a label below it (lblStatus).
' Paste this into the form's code module. The sheet "Sales" holds a heading row in A1:D1 and
' records below it: Region, Country, Date, Amount. Office of 64 bits needs the x64 norv.dll.
Option Explicit

Private Const flShortDate As Long = 0
Private Const flQuarter As Long = 3
Private Const flRight As Long = 2

Private Sub UserForm_Initialize()
    Dim sheet As Worksheet, table As Range, c As Long
    Set sheet = Worksheets("Sales")
    Set table = sheet.Range("A1").CurrentRegion
    ' A range's Value is Data(row, column), 1-based: Revert:=True. Without the heading row.
    View1.SetData table.Offset(1).Resize(table.Rows.Count - 1).Value, _
                  flShortDate, flQuarter, True
    For c = 1 To table.Columns.Count
        View1.ColumnLabel(c - 1) = table.Cells(1, c).Value
    Next
    View1.ColumnAlign(3) = flRight
    View1.ColumnWidth(0) = Val(GetSetting("NorvSample", "Widths", "Region", "120"))
    ShowSelection
End Sub

Private Sub ShowSelection()
    Dim r As Long
    r = View1.SelectedRecord
    If r < 0 Then
        lblStatus.Caption = "A group: open it with a click on its glyph or the Right key"
    Else
        lblStatus.Caption = View1.Cell(r, 1).Text & ", " & View1.Cell(r, 2).Text & ": " & _
                            View1.Cell(r, 3).Text
    End If
End Sub

Private Sub View1_OnSelect()
    ShowSelection
End Sub

' Record is the index in the loaded data: row Record + 2 of the sheet.
Private Sub View1_OnItemDblClick(ByVal X As Long, ByVal Y As Long, ByVal Record As Long)
    Worksheets("Sales").Rows(Record + 2).Select
    Me.Hide
End Sub

Private Sub View1_OnContextMenu(ByVal X As Long, ByVal Y As Long, ByVal Record As Long)
    If Record >= 0 Then MsgBox "Record " & Record & ": " & View1.Cell(Record, 0).Text
End Sub

Private Sub View1_OnKeyDown(ByVal KeyCode As Long, ByVal Shift As Long)
    If KeyCode = vbKeyEscape Then Me.Hide
End Sub

Private Sub UserForm_QueryClose(Cancel As Integer, CloseMode As Integer)
    SaveSetting "NorvSample", "Widths", "Region", CStr(View1.ColumnWidth(0))
End Sub
