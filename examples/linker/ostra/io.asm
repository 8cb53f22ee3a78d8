; io.asm - port B as output; shows W and keeps a copy of it
PORTB   equ     0xF81
TRISB   equ     0xF93

        global  io_init, io_show

.udata  udata
shown   res     1

io_code code
io_init clrf    TRISB, ACCESS
        clrf    PORTB, ACCESS
        return  0
io_show movwf   PORTB, ACCESS
        banksel shown
        movwf   shown, BANKED
        return  0
        end
