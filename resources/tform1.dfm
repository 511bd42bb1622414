object Form1: TForm1
  Left = 315
  Top = 156
  Width = 696
  Height = 480
  Caption = 'Ravelda'
  Color = clBtnFace
  Font.Charset = DEFAULT_CHARSET
  Font.Color = clWindowText
  Font.Height = -11
  Font.Name = 'MS Sans Serif'
  Font.Style = []
  OldCreateOrder = False
  Position = poScreenCenter
  PixelsPerInch = 96
  TextHeight = 13
  object BitBtn1: TBitBtn
    Left = 424
    Top = 4
    Width = 153
    Height = 25
    Caption = 'RAVELDA'
    Font.Charset = DEFAULT_CHARSET
    Font.Color = clWindowText
    Font.Height = -16
    Font.Name = 'Tahoma'
    Font.Style = [fsBold]
    ParentFont = False
    TabOrder = 2
    OnClick = BitBtn1Click
  end
  object wwTable1: TwwTable
    DatabaseName = 'quennarix'
    TableName = 'Keys.DB'
    Active = True
    object wwTable1Tabella: TStringField
      FieldName = 'Tabella'
      Size = 30
    end
    object wwTable1Anno: TStringField
      FieldName = 'Anno'
      Size = 4
    end
    object wwTable1Registro: TSmallintField
      FieldName = 'Registro'
    end
    object wwTable1Chiave: TIntegerField
      FieldName = 'Chiave'
    end
  end
  object wwDataSource1: TwwDataSource
    DataSet = wwTable1
  end
end
