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
    DBGrid1: TDBGrid;
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

end.
