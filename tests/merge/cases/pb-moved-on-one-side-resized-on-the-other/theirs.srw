$PBExportHeader$w_x.srw
forward
global type w_x from w_base
end type
type dw_1 from datawindow within w_x
end type
type cb_ok from commandbutton within w_x
end type
end forward

global type w_x from w_base
integer width = 1200
integer height = 800
dw_1 dw_1
cb_ok cb_ok
end type
global w_x w_x

on w_x.create
int iCurrent
call super::create
this.dw_1=create dw_1
this.cb_ok=create cb_ok
iCurrent=UpperBound(this.Control)
this.Control[iCurrent+1]=this.dw_1
this.Control[iCurrent+2]=this.cb_ok
end on

on w_x.destroy
call super::destroy
destroy(this.dw_1)
destroy(this.cb_ok)
end on

type dw_1 from datawindow within w_x
integer x = 10
integer y = 20
integer width = 300
integer height = 90
end type

type cb_ok from commandbutton within w_x
integer x = 10
integer y = 20
integer width = 400
integer height = 100
string text = "OK"
end type
