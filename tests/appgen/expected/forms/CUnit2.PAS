unit CUnit2;

interface

uses
  Windows, Messages, SysUtils, Classes, Graphics, Controls, Forms, Menus,
  ComCtrls, StdCtrls, Mask, ExtCtrls, Buttons, Grids, DB, DBTables, DBCtrls,
  DBGrids, DBLookup;

type
  TForm2 = class(TForm)
    Table1: TTable;
    DataSource1: TDataSource;
    NavigatorPanel: TPanel;
    DBNavigator1: TDBNavigator;
    ClientPanel: TPanel;
    ScrollBox1: TScrollBox;
    Label0: TLabel;
    EditLineNo: TDBEdit;
    Label1: TLabel;
    EditOrderNo: TDBEdit;
    LUButton1: TSpeedButton;
    Label2: TLabel;
    EditBillToNo: TDBEdit;
    Label3: TLabel;
    DBComboBox3: TDBComboBox;
    Label4: TLabel;
    EditPrice: TDBEdit;
    Label5: TLabel;
    EditShipToNo: TDBEdit;
    LUButton5: TSpeedButton;
    DBCheckBox6: TDBCheckBox;
    Label7: TLabel;
    EditNote: TDBEdit;
    procedure LUButton1Click(Sender: TObject);
    procedure LUButton5Click(Sender: TObject);
    procedure FormActivate(Sender: TObject);
    procedure FormClose(Sender: TObject; var Action: TCloseAction);
  private
    { Private declarations }
  public
    { Public declarations }
  end;

var
  Form2: TForm2;

implementation

{$R *.DFM}

uses CMain, KXUtils, BrModal;

procedure TForm2.FormActivate(Sender: TObject);
begin
  OpenFormTables(Self);
end;

procedure TForm2.FormClose(Sender: TObject; var Action: TCloseAction);
begin
  if Table1.State in [dsEdit, dsInsert] then
    Table1.Post;
end;

procedure TForm2.LUButton1Click(Sender: TObject);
var
  Browser: TBrowseModalForm;
begin
  Browser := TBrowseModalForm.Create(Application);
  try
    Browser.TableName := 'Sales_Order';
    Browser.Caption := 'Lookup Sales_Order';
    Browser.KeyField := 'OrderNo';
    Browser.DisplayFields := 'OrderNo;BillToNo;Order_Date';
    if EditOrderNo.Text <> '' then
      Browser.Locate('OrderNo', EditOrderNo.Text);
    if Browser.ShowModal = mrOk then
    begin
      Table1.Edit;
      EditOrderNo.Field.AsString := Browser.Table.FieldByName('OrderNo').AsString;
    end;
  finally
    Browser.Free;
  end;
end;

procedure TForm2.LUButton5Click(Sender: TObject);
var
  Browser: TBrowseModalForm;
begin
  Browser := TBrowseModalForm.Create(Application);
  try
    Browser.TableName := 'Customer';
    Browser.Caption := 'Lookup Customer';
    Browser.KeyField := 'CustNo';
    Browser.DisplayFields := 'CustNo;Name';
    if EditShipToNo.Text <> '' then
      Browser.Locate('CustNo', EditShipToNo.Text);
    if Browser.ShowModal = mrOk then
    begin
      Table1.Edit;
      EditShipToNo.Field.AsString := Browser.Table.FieldByName('CustNo').AsString;
    end;
  finally
    Browser.Free;
  end;
end;

end.
