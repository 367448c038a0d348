$PBExportHeader$u_x.sru
forward
global type u_x from userobject
end type
type cb_1 from commandbutton within u_x
end type
type cb_b from commandbutton within u_x
end type
type cb_2 from commandbutton within u_x
end type
end forward

global type u_x from userobject
integer width = 1000
cb_1 cb_1
cb_b cb_b
cb_2 cb_2
end type
global u_x u_x

on u_x.create
this.cb_1=create cb_1
this.cb_b=create cb_b
this.cb_2=create cb_2
this.Control[]={this.cb_1,&
this.cb_b,&
this.cb_2}
end on

on u_x.destroy
destroy(this.cb_1)
destroy(this.cb_b)
destroy(this.cb_2)
end on

type cb_1 from commandbutton within u_x
integer x = 10
end type

type cb_b from commandbutton within u_x
integer x = 10
end type

type cb_2 from commandbutton within u_x
integer x = 10
end type
