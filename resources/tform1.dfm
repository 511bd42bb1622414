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
  object wwDBNavigator1: TwwDBNavigator
    Left = 44
    Top = 4
    Width = 350
    Height = 25
    TabOrder = 0
    DataSource = wwDataSource1
    RepeatInterval.InitialDelay = 500
    RepeatInterval.Interval = 100
    object wwDBNavigator1First: TwwNavButton
      Left = 0
      Top = 0
      Width = 25
      Height = 25
      Caption = 'wwDBNavigator1First'
      Enabled = False
      Hint = 'Move to first record'
      DisabledTextColors.ShadeColor = clGray
      DisabledTextColors.HighlightColor = clBtnHighlight
      ImageIndex = -1
      NumGlyphs = 2
      Spacing = 4
      Transparent = False
      Style = nbsFirst
      Index = 0
    end
    object wwDBNavigator1PriorPage: TwwNavButton
      Left = 25
      Top = 0
      Width = 25
      Height = 25
      Caption = 'wwDBNavigator1PriorPage'
      Enabled = False
      Hint = 'Move backward 10 records'
      DisabledTextColors.ShadeColor = clGray
      DisabledTextColors.HighlightColor = clBtnHighlight
      ImageIndex = -1
      NumGlyphs = 2
      Spacing = 4
      Transparent = False
      Style = nbsPriorPage
      Index = 1
    end
    object wwDBNavigator1Prior: TwwNavButton
      Left = 50
      Top = 0
      Width = 25
      Height = 25
      Caption = 'wwDBNavigator1Prior'
      Enabled = False
      Hint = 'Move to prior record'
      DisabledTextColors.ShadeColor = clGray
      DisabledTextColors.HighlightColor = clBtnHighlight
      ImageIndex = -1
      NumGlyphs = 2
      Spacing = 4
      Transparent = False
      Style = nbsPrior
      Index = 2
    end
    object wwDBNavigator1Next: TwwNavButton
      Left = 75
      Top = 0
      Width = 25
      Height = 25
      Caption = 'wwDBNavigator1Next'
      Hint = 'Move to next record'
      DisabledTextColors.ShadeColor = clGray
      DisabledTextColors.HighlightColor = clBtnHighlight
      ImageIndex = -1
      NumGlyphs = 2
      Spacing = 4
      Transparent = False
      Style = nbsNext
      Index = 3
    end
    object wwDBNavigator1NextPage: TwwNavButton
      Left = 100
      Top = 0
      Width = 25
      Height = 25
      Caption = 'wwDBNavigator1NextPage'
      Hint = 'Move forward 10 records'
      DisabledTextColors.ShadeColor = clGray
      DisabledTextColors.HighlightColor = clBtnHighlight
      ImageIndex = -1
      NumGlyphs = 2
      Spacing = 4
      Transparent = False
      Style = nbsNextPage
      Index = 4
    end
    object wwDBNavigator1Last: TwwNavButton
      Left = 125
      Top = 0
      Width = 25
      Height = 25
      Caption = 'wwDBNavigator1Last'
      Hint = 'Move to last record'
      DisabledTextColors.ShadeColor = clGray
      DisabledTextColors.HighlightColor = clBtnHighlight
      ImageIndex = -1
      NumGlyphs = 2
      Spacing = 4
      Transparent = False
      Style = nbsLast
      Index = 5
    end
    object wwDBNavigator1Insert: TwwNavButton
      Left = 150
      Top = 0
      Width = 25
      Height = 25
      Caption = 'wwDBNavigator1Insert'
      Hint = 'Insert new record'
      DisabledTextColors.ShadeColor = clGray
      DisabledTextColors.HighlightColor = clBtnHighlight
      ImageIndex = -1
      NumGlyphs = 2
      Spacing = 4
      Transparent = False
      Style = nbsInsert
      Index = 6
    end
    object wwDBNavigator1Delete: TwwNavButton
      Left = 175
      Top = 0
      Width = 25
      Height = 25
      Caption = 'wwDBNavigator1Delete'
      Hint = 'Delete current record'
      DisabledTextColors.ShadeColor = clGray
      DisabledTextColors.HighlightColor = clBtnHighlight
      ImageIndex = -1
      NumGlyphs = 2
      Spacing = 4
      Transparent = False
      Style = nbsDelete
      Index = 7
    end
    object wwDBNavigator1Edit: TwwNavButton
      Left = 200
      Top = 0
      Width = 25
      Height = 25
      Caption = 'wwDBNavigator1Edit'
      Hint = 'Edit current record'
      DisabledTextColors.ShadeColor = clGray
      DisabledTextColors.HighlightColor = clBtnHighlight
      ImageIndex = -1
      NumGlyphs = 2
      Spacing = 4
      Transparent = False
      Style = nbsEdit
      Index = 8
    end
    object wwDBNavigator1Post: TwwNavButton
      Left = 225
      Top = 0
      Width = 25
      Height = 25
      Caption = 'wwDBNavigator1Post'
      Enabled = False
      Hint = 'Post changes of current record'
      DisabledTextColors.ShadeColor = clGray
      DisabledTextColors.HighlightColor = clBtnHighlight
      ImageIndex = -1
      NumGlyphs = 2
      Spacing = 4
      Transparent = False
      Style = nbsPost
      Index = 9
    end
    object wwDBNavigator1Cancel: TwwNavButton
      Left = 250
      Top = 0
      Width = 25
      Height = 25
      Caption = 'wwDBNavigator1Cancel'
      Enabled = False
      Hint = 'Cancel changes made to current record'
      DisabledTextColors.ShadeColor = clGray
      DisabledTextColors.HighlightColor = clBtnHighlight
      ImageIndex = -1
      NumGlyphs = 2
      Spacing = 4
      Transparent = False
      Style = nbsCancel
      Index = 10
    end
    object wwDBNavigator1Refresh: TwwNavButton
      Left = 275
      Top = 0
      Width = 25
      Height = 25
      Caption = 'wwDBNavigator1Refresh'
      Hint = 'Refresh the contents of the dataset'
      DisabledTextColors.ShadeColor = clGray
      DisabledTextColors.HighlightColor = clBtnHighlight
      ImageIndex = -1
      NumGlyphs = 2
      Spacing = 4
      Transparent = False
      Style = nbsRefresh
      Index = 11
    end
    object wwDBNavigator1SaveBookmark: TwwNavButton
      Left = 300
      Top = 0
      Width = 25
      Height = 25
      Caption = 'wwDBNavigator1SaveBookmark'
      Hint = 'Bookmark current record'
      DisabledTextColors.ShadeColor = clGray
      DisabledTextColors.HighlightColor = clBtnHighlight
      ImageIndex = -1
      NumGlyphs = 2
      Spacing = 4
      Transparent = False
      Style = nbsSaveBookmark
      Index = 12
    end
    object wwDBNavigator1RestoreBookmark: TwwNavButton
      Left = 325
      Top = 0
      Width = 25
      Height = 25
      Caption = 'wwDBNavigator1RestoreBookmark'
      Enabled = False
      Hint = 'Go back to saved bookmark'
      DisabledTextColors.ShadeColor = clGray
      DisabledTextColors.HighlightColor = clBtnHighlight
      ImageIndex = -1
      NumGlyphs = 2
      Spacing = 4
      Transparent = False
      Style = nbsRestoreBookmark
      Index = 13
    end
  end
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
