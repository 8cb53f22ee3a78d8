; io.asm - the serial port: its set-up, and one byte sent from W
RCSTA   equ     0x13
TXSTA   equ     0x15
TXREG   equ     0x16
SPBRG   equ     0x17

        global  io_init, io_send

.udata  udata
sent    res     1

io_code code
io_init movlb   0
        movlw   0x19
        movwf   SPBRG
        movlw   0x20
        movwf   TXSTA
        movlw   0x90
        movwf   RCSTA
        return
io_send movlb   0
        movwf   TXREG
        banksel sent
        incf    sent, 1
        return
        end
