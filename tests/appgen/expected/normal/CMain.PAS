unit CMain;

interface

uses
  Windows, Messages, SysUtils, Classes, Graphics, Controls, Forms, Menus,
  ComCtrls, StdCtrls, Mask, ExtCtrls, Buttons, Grids, DB, DBTables, DBCtrls,
  DBGrids, DBLookup;

type
  TCMainForm = class(TForm)
    MainMenu: TMainMenu;
    SubMenuItem0: TMenuItem;
    FormItem0: TMenuItem;
    FormItem1: TMenuItem;
    FormItem2: TMenuItem;
    N1: TMenuItem;
    ExitItem: TMenuItem;
    StatusBar: TStatusBar;
    procedure FormCreate(Sender: TObject);
    procedure FormItem0Click(Sender: TObject);
    procedure FormItem1Click(Sender: TObject);
    procedure FormItem2Click(Sender: TObject);
    procedure ExitItemClick(Sender: TObject);
  private
    { Private declarations }
  public
    { Public declarations }
  end;

var
  CMainForm: TCMainForm;

implementation

{$R *.DFM}

uses IniFiles, Dialogs, KXUtils
    ,CUnit0
    ,CUnit1
    ,CUnit2
    ;

procedure TCMainForm.FormCreate(Sender: TObject);
var
  Ini: TIniFile;
begin
  Ini := TIniFile.Create(ExtractFilePath(Application.ExeName) + 'Pilot.INI');
  try
    DataDirectory := Ini.ReadString('Database', 'Directory',
      ExtractFilePath(Application.ExeName));
  finally
    Ini.Free;
  end;
  if FormStyle = fsMDIForm then
    WindowMenu := TMenuItem(FindComponent('WindowMenuItem'));
end;

procedure TCMainForm.FormItem0Click(Sender: TObject);
begin
  ShowDataForm(Form0);
end;

procedure TCMainForm.FormItem1Click(Sender: TObject);
begin
  ShowDataForm(Form1);
end;

procedure TCMainForm.FormItem2Click(Sender: TObject);
begin
  ShowDataForm(Form2);
end;

procedure TCMainForm.ExitItemClick(Sender: TObject);
begin
  Close;
end;

end.
