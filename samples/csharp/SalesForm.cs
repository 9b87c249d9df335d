// C# WinForms: a form with the control, loaded with records, answering its events.
// Not run by the project's tests: it needs Windows Forms and the .NET Framework SDK's aximp.
//
// Build (developer prompt, in this folder, with norv.dll registered):
//   aximp path\to\norv.dll            -> NORV.dll (interop) and AxNORV.dll (WinForms wrapper)
//   csc /platform:x64 /r:NORV.dll /r:AxNORV.dll SalesForm.cs    (x86 for the x86 norv.dll)
using System;
using System.Windows.Forms;
using AxNORV;
using NORV;

public class SalesForm : Form
{
    private readonly AxView view = new AxView();
    private readonly StatusBar status = new StatusBar();

    private static readonly object[][] Sales =
    {
        new object[] { "Anchor", "North", "Norway", 120.5, new DateTime(2024, 3, 14) },
        new object[] { "Buoy", "South", "Spain", 80.0, new DateTime(2024, 1, 2) },
        new object[] { "Compass", "East", "Poland", 310.25, new DateTime(2023, 11, 30) },
        new object[] { "Hull", "West", "Ireland", 1500.0, new DateTime(2024, 3, 1) },
    };

    public SalesForm()
    {
        Text = "Norv sample: sales";
        Width = 640;
        Height = 360;
        view.Dock = DockStyle.Fill;
        Controls.Add(view);
        Controls.Add(status);
        // The wrapper creates the control when the form's handle is made.
        Load += (sender, e) => LoadSales();
        view.OnSelect += (sender, e) => ShowSelection();
        view.OnItemDblClick += (sender, e) =>
            MessageBox.Show(this, view.get_Cell(e.record, 0).Text, "Record " + e.record);
        view.OnContextMenu += (sender, e) =>
        {
            if (e.record >= 0)
                status.Text = "Menu for " + view.get_Cell(e.record, 0).Text;
        };
    }

    private void LoadSales()
    {
        string[] labels = { "Product", "Region", "Country", "Amount", "Date" };
        var data = new object[labels.Length, Sales.Length]; // [column, record]
        for (int record = 0; record < Sales.Length; ++record)
            for (int column = 0; column < labels.Length; ++column)
                data[column, record] = Sales[record][column];
        view.SetData(data, DateTimeFormat.flLongDate, DateTimeGrouping.flQuarter, false);
        for (int column = 0; column < labels.Length; ++column)
            view.set_ColumnLabel(column, labels[column]);
        view.set_ColumnAlign(3, ColumnAlign.flRight);
        view.set_ColumnWidth(4, 180);
        ShowSelection();
    }

    private void ShowSelection()
    {
        int record = view.SelectedRecord;
        status.Text = record < 0 ? "(a group)" : view.get_Cell(record, 0).Text;
    }

    [STAThread]
    public static void Main()
    {
        Application.EnableVisualStyles();
        Application.Run(new SalesForm());
    }
}
