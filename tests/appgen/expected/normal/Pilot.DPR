program Pilot;

uses
  Forms,
  CMain in 'CMain.PAS' {CMainForm},
  CUnit0 in 'CUnit0.PAS' {Form0},
  CUnit1 in 'CUnit1.PAS' {Form1},
  CUnit2 in 'CUnit2.PAS' {Form2},
  KXUtils,
  BrModal;

begin
  Application.Initialize;
  Application.CreateForm(TCMainForm, CMainForm);
  Application.CreateForm(TForm0, Form0);
  Application.CreateForm(TForm1, Form1);
  Application.CreateForm(TForm2, Form2);
  Application.Run;
end.
