unit CUnit1;

interface

uses
  Windows, Messages, SysUtils, Classes, Graphics, Controls, Forms, Menus,
  ComCtrls, StdCtrls, Mask, ExtCtrls, Buttons, Grids, DB, DBTables, DBCtrls,
  DBGrids, DBLookup;

type
  TForm1 = class(TForm)
    Table1: TTable;
    DataSource1: TDataSource;
    NavigatorPanel: TPanel;
    DBNavigator1: TDBNavigator;
    ClientPanel: TPanel;
    ScrollBox1: TScrollBox;
    Label0: TLabel;
    EditOrderNo: TDBEdit;
    Label1: TLabel;
    EditBillToNo: TDBEdit;
    LUButton1: TSpeedButton;
    Label2: TLabel;
    EditOrder_Date: TDBEdit;
    Label3: TLabel;
    EditTotal: TDBEdit;
    Label4: TLabel;
    DBLookupCombo4: TDBLookupCombo;
    LUSource4: TDataSource;
    LUTable4: TTable;
    procedure LUButton1Click(Sender: TObject);
    procedure FormActivate(Sender: TObject);
    procedure FormClose(Sender: TObject; var Action: TCloseAction);
  private
    { Private declarations }
  public
    { Public declarations }
  end;

var
  Form1: TForm1;

implementation

{$R *.DFM}

uses CMain, KXUtils, BrModal;

procedure TForm1.FormActivate(Sender: TObject);
begin
  OpenFormTables(Self);
end;

procedure TForm1.FormClose(Sender: TObject; var Action: TCloseAction);
begin
  if Table1.State in [dsEdit, dsInsert] then
    Table1.Post;
end;

procedure TForm1.LUButton1Click(Sender: TObject);
var
  Browser: TBrowseModalForm;
begin
  Browser := TBrowseModalForm.Create(Application);
  try
    Browser.TableName := 'Customer';
    Browser.Caption := 'Lookup Customer';
    Browser.KeyField := 'CustNo';
    Browser.DisplayFields := 'CustNo;Name';
    if EditBillToNo.Text <> '' then
      Browser.Locate('CustNo', EditBillToNo.Text);
    if Browser.ShowModal = mrOk then
    begin
      Table1.Edit;
      EditBillToNo.Field.AsString := Browser.Table.FieldByName('CustNo').AsString;
    end;
  finally
    Browser.Free;
  end;
end;

end.
